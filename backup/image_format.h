// The backup image (".dfi"): an 80-byte header, then one 532-byte entry per
// stored folder or file in depth-first order, each file entry followed by its
// blocks (a 16-byte header and up to 78655 stored bytes), the file's final block
// marked `last`. Little-endian throughout; the end of the file ends the image.
//
// This unit only turns records into bytes and back. Decoders take exactly
// one record's bytes, which the caller has read in full, and check every field
// a reader relies on against its limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nv {

constexpr uint32_t DFI_MAGIC = 0xD65BC95F;
constexpr const char* kImageExtension = ".dfi";
constexpr uint32_t kImageVersion = 1;

constexpr size_t kImageHeaderSize = 80;
constexpr size_t kImageEntrySize = 532;
constexpr size_t kBlockHeaderSize = 16;
// The relative-path field holds 260 UTF-16 units, terminator included.
constexpr size_t kRelativePathUnits = 260;
constexpr size_t kMaxRelativePathUnits = kRelativePathUnits - 1;
constexpr size_t kImagePasswordSize = 16;

constexpr uint32_t kEntryFolder = 0;
constexpr uint32_t kEntryFile = 1;

// The separator of relative paths inside an image, whatever the platform.
constexpr char16_t kImageSeparator = u'\\';

struct ImageHeader {
  uint32_t version = kImageVersion;
  uint32_t reserved = 0;
  uint32_t compressionSetting = 0;
  double createdTime = 0.0;  // OLE Automation date, local time
  std::array<uint8_t, kImagePasswordSize> password{};  // as stored: hidden
  uint32_t passwordLength = 0;
};

// True when the 4 bytes are DFI_MAGIC as stored.
bool IsImageMagic(const uint8_t in[4]);

// A header for a new image: the password (at most 16 bytes) zero-padded and
// its first passwordBytes.size() bytes hidden under the fixed key.
ImageHeader MakeImageHeader(const std::string& passwordBytes, uint32_t reserved,
                            uint32_t compressionSetting, double createdTime);
void EncodeImageHeader(const ImageHeader& header, uint8_t out[kImageHeaderSize]);
// False when the magic is wrong or the version is above 1.
bool DecodeImageHeader(const uint8_t in[kImageHeaderSize], ImageHeader* header);
// True when the stored password has passwordBytes' length and bytes; a stored
// length above 16 never matches.
bool ImagePasswordMatches(const ImageHeader& header, const std::string& passwordBytes);

struct ImageEntry {
  uint32_t kind = kEntryFile;
  uint32_t attributes = 0;
  std::u16string relativePath;  // without terminator, kImageSeparator between names
};

// False (out untouched) when the path has more than 259 units.
bool EncodeImageEntry(const ImageEntry& entry, uint8_t out[kImageEntrySize]);
// False when the path field has no zero unit. The entry's magic is not checked.
bool DecodeImageEntry(const uint8_t in[kImageEntrySize], ImageEntry* entry);

struct BlockHeader {
  uint32_t rawSize = 0;     // plain bytes the block holds
  uint32_t storedSize = 0;  // bytes following the header
  uint32_t last = 0;        // 1 on the file's final block
};

void EncodeBlockHeader(const BlockHeader& header, uint8_t out[kBlockHeaderSize]);
// False when the magic is wrong or storedSize exceeds kStoredChunkCapacity.
bool DecodeBlockHeader(const uint8_t in[kBlockHeaderSize], BlockHeader* header);

// The image path of a stored item: parent (the image path of its folder, empty
// for a top-level item), the separator and name. False when the name holds a
// backslash or is not valid UTF-8, or when the result would exceed 259 units
// or be refused by ResolveRelativePath. An empty name gives an empty path (the
// top-level entry of a root folder).
bool AppendImageName(const std::u16string& parent, const std::string& name, std::u16string* out);

// Splits a stored relative path into native names. False for anything that
// could reach outside the destination or cannot be a name: a leading
// separator or '/', a drive prefix ("C:"), an empty, "." or ".." name, a '/'
// inside a name, or an unpaired surrogate. An empty path gives no names (the
// destination itself).
bool ResolveRelativePath(const std::u16string& relativePath, std::vector<std::string>* names);

}  // namespace nv
