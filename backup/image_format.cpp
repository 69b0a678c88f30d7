#include "backup/image_format.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "core/utf16.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"

namespace nv {
namespace {

// Header field offsets.
constexpr size_t kHeaderVersion = 4;
constexpr size_t kHeaderReserved = 8;
constexpr size_t kHeaderCompression = 12;
constexpr size_t kHeaderCreated = 16;
constexpr size_t kHeaderPassword = 24;
constexpr size_t kHeaderPasswordLength = 40;

// Entry field offsets.
constexpr size_t kEntryKind = 4;
constexpr size_t kEntryAttributes = 8;
constexpr size_t kEntryPath = 12;

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

bool IsImageMagic(const uint8_t in[4]) { return GetU32(in) == DFI_MAGIC; }

ImageHeader MakeImageHeader(const std::string& passwordBytes, uint32_t reserved,
                            uint32_t compressionSetting, double createdTime) {
  ImageHeader header;
  header.reserved = reserved;
  header.compressionSetting = compressionSetting;
  header.createdTime = createdTime;
  size_t length = std::min(passwordBytes.size(), kImagePasswordSize);
  std::memcpy(header.password.data(), passwordBytes.data(), length);
  header.passwordLength = static_cast<uint32_t>(length);
  EncryptFixedBlock(header.password.data(), header.passwordLength);
  return header;
}

void EncodeImageHeader(const ImageHeader& header, uint8_t out[kImageHeaderSize]) {
  std::memset(out, 0, kImageHeaderSize);
  PutU32(out, DFI_MAGIC);
  PutU32(out + kHeaderVersion, header.version);
  PutU32(out + kHeaderReserved, header.reserved);
  PutU32(out + kHeaderCompression, header.compressionSetting);
  PutF64(out + kHeaderCreated, header.createdTime);
  std::memcpy(out + kHeaderPassword, header.password.data(), kImagePasswordSize);
  PutU32(out + kHeaderPasswordLength, header.passwordLength);
}

bool DecodeImageHeader(const uint8_t in[kImageHeaderSize], ImageHeader* header) {
  if (GetU32(in) != DFI_MAGIC) return false;
  header->version = GetU32(in + kHeaderVersion);
  if (header->version > kImageVersion) return false;
  header->reserved = GetU32(in + kHeaderReserved);
  header->compressionSetting = GetU32(in + kHeaderCompression);
  header->createdTime = GetF64(in + kHeaderCreated);
  std::memcpy(header->password.data(), in + kHeaderPassword, kImagePasswordSize);
  header->passwordLength = GetU32(in + kHeaderPasswordLength);
  return true;
}

bool ImagePasswordMatches(const ImageHeader& header, const std::string& passwordBytes) {
  if (header.passwordLength > kImagePasswordSize || header.passwordLength != passwordBytes.size())
    return false;
  std::array<uint8_t, kImagePasswordSize> stored = header.password;
  DecryptFixedBlock(stored.data(), header.passwordLength);
  return std::memcmp(stored.data(), passwordBytes.data(), header.passwordLength) == 0;
}

bool EncodeImageEntry(const ImageEntry& entry, uint8_t out[kImageEntrySize]) {
  if (entry.relativePath.size() > kMaxRelativePathUnits) return false;
  std::memset(out, 0, kImageEntrySize);
  PutU32(out, DFI_MAGIC);
  PutU32(out + kEntryKind, entry.kind);
  PutU32(out + kEntryAttributes, entry.attributes);
  for (size_t i = 0; i < entry.relativePath.size(); ++i)
    PutU16(out + kEntryPath + 2 * i, entry.relativePath[i]);
  return true;
}

bool DecodeImageEntry(const uint8_t in[kImageEntrySize], ImageEntry* entry) {
  entry->kind = GetU32(in + kEntryKind);
  entry->attributes = GetU32(in + kEntryAttributes);
  entry->relativePath.clear();
  for (size_t i = 0; i < kRelativePathUnits; ++i) {
    char16_t unit = GetU16(in + kEntryPath + 2 * i);
    if (unit == 0) return true;
    entry->relativePath.push_back(unit);
  }
  return false;
}

void EncodeBlockHeader(const BlockHeader& header, uint8_t out[kBlockHeaderSize]) {
  PutU32(out, DFI_MAGIC);
  PutU32(out + 4, header.rawSize);
  PutU32(out + 8, header.storedSize);
  PutU32(out + 12, header.last);
}

bool DecodeBlockHeader(const uint8_t in[kBlockHeaderSize], BlockHeader* header) {
  if (GetU32(in) != DFI_MAGIC) return false;
  header->rawSize = GetU32(in + 4);
  header->storedSize = GetU32(in + 8);
  header->last = GetU32(in + 12);
  return header->storedSize <= kStoredChunkCapacity;
}

bool AppendImageName(const std::u16string& parent, const std::string& name, std::u16string* out) {
  if (name.empty()) {
    out->clear();
    return parent.empty();
  }
  std::u16string unitName;
  if (name.find('\\') != std::string::npos || !StrictUtf8ToUtf16(name, &unitName)) return false;
  std::u16string path = parent;
  if (!path.empty()) path.push_back(kImageSeparator);
  path += unitName;
  std::vector<std::string> names;
  if (path.size() > kMaxRelativePathUnits || !ResolveRelativePath(path, &names)) return false;
  *out = std::move(path);
  return true;
}

bool ResolveRelativePath(const std::u16string& relativePath, std::vector<std::string>* names) {
  names->clear();
  if (relativePath.empty()) return true;
  if (relativePath.size() >= 2 && IsAsciiLetter(relativePath[0]) && relativePath[1] == u':')
    return false;
  size_t start = 0;
  for (;;) {
    size_t end = relativePath.find(kImageSeparator, start);
    std::u16string unitName = relativePath.substr(start, end == std::u16string::npos ? end : end - start);
    std::string name;
    if (unitName.empty() || unitName == u"." || unitName == u".." ||
        unitName.find_first_of(std::u16string(u"/\0", 2)) != std::u16string::npos ||
        !StrictUtf16ToUtf8(unitName, &name))
      return false;
    names->push_back(std::move(name));
    if (end == std::u16string::npos) return true;
    start = end + 1;
  }
}

}  // namespace nv
