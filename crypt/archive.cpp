#include "crypt/archive.h"

#include <cstring>
#include <vector>

#include "core/byte_order.h"
#include "core/utf16.h"
#include "crypt/cipher.h"

namespace nv {
namespace {

constexpr const char* kTempSuffix = ".tmp";

bool ReadExactly(File* file, uint8_t* buf, size_t n) {
  size_t got = 0;
  return file->Read(buf, n, &got) && got == n;
}

bool ReadU32(File* file, uint32_t* value) {
  uint8_t bytes[4];
  if (!ReadExactly(file, bytes, sizeof bytes)) return false;
  *value = GetU32(bytes);
  return true;
}

// A length-prefixed UTF-16LE string, cut at its first zero code unit.
bool ReadString(File* file, std::string* text) {
  uint32_t length = 0;
  if (!ReadU32(file, &length) || length > kMaxArchiveStringBytes) return false;
  uint8_t buffer[kMaxArchiveStringBytes] = {};
  if (!ReadExactly(file, buffer, length)) return false;
  std::u16string units;
  for (size_t i = 0; i + 1 < sizeof buffer; i += 2) {
    char16_t unit = GetU16(buffer + i);
    if (unit == 0) break;
    units.push_back(unit);
  }
  *text = Utf16ToUtf8(units);
  return true;
}

bool ReadRecord(File* file, MonitorFileInfo* info) {
  uint8_t tail[kPasswordFieldSize + 8 + 4 + 4];
  if (!ReadString(file, &info->name) || !ReadString(file, &info->path) ||
      !ReadExactly(file, tail, sizeof tail))
    return false;
  std::memcpy(info->password.data(), tail, kPasswordFieldSize);
  DecryptFixedBlock(info->password.data(), kCipherBlockSize);
  info->addedTime = GetF64(tail + kPasswordFieldSize);
  info->encrypted = GetU32(tail + kPasswordFieldSize + 8) != 0 ? 1 : 0;
  info->isFolder = GetU32(tail + kPasswordFieldSize + 12) != 0 ? 1 : 0;
  return true;
}

void AppendU32(std::vector<uint8_t>* out, uint32_t value) {
  uint8_t bytes[4];
  PutU32(bytes, value);
  out->insert(out->end(), bytes, bytes + sizeof bytes);
}

bool AppendString(std::vector<uint8_t>* out, const std::string& text) {
  std::u16string units = Utf8ToUtf16(text);
  if (units.size() * 2 > kMaxArchiveStringBytes) return false;
  AppendU32(out, static_cast<uint32_t>(units.size() * 2));
  for (char16_t unit : units) {
    uint8_t bytes[2];
    PutU16(bytes, unit);
    out->insert(out->end(), bytes, bytes + sizeof bytes);
  }
  return true;
}

bool AppendRecord(std::vector<uint8_t>* out, const MonitorFileInfo& info) {
  if (!AppendString(out, info.name) || !AppendString(out, info.path)) return false;
  std::array<uint8_t, kPasswordFieldSize> password = info.password;
  EncryptFixedBlock(password.data(), kCipherBlockSize);
  out->insert(out->end(), password.begin(), password.end());
  uint8_t time[8];
  PutF64(time, info.addedTime);
  out->insert(out->end(), time, time + sizeof time);
  AppendU32(out, info.encrypted ? 1 : 0);
  AppendU32(out, info.isFolder ? 1 : 0);
  return true;
}

bool Serialize(CCoreManager& manager, std::vector<uint8_t>* out) {
  ReadAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
  AppendU32(out, static_cast<uint32_t>(items->size()));
  for (const auto& [id, info] : *items)
    if (!AppendRecord(out, *info)) return false;
  return true;
}

bool WriteFileDurably(Env* env, const std::string& path, const std::vector<uint8_t>& bytes) {
  env->DeleteFile(path, nullptr);  // a leftover of an interrupted save
  OpenOptions options;
  options.access = Access::kWrite;
  options.disposition = Disposition::kCreateNew;
  options.share = Share::kShareAll;
  options.createMode = 0600;
  options.followLinks = false;
  std::unique_ptr<File> file = env->Open(path, options, nullptr);
  if (!file) return false;
  size_t written = 0;
  bool ok = file->Write(bytes.data(), bytes.size(), &written) && written == bytes.size();
  ok = ok && file->Sync();
  return file->Close() && ok;
}

}  // namespace

ArchiveLoad LoadArchive(CCoreManager& manager) {
  OpenOptions options;
  options.access = Access::kRead;
  options.disposition = Disposition::kOpenExisting;
  options.share = Share::kShareRead;
  FsError error = FsError::kOk;
  std::unique_ptr<File> file = manager.env()->Open(manager.archivePath, options, &error);
  if (!file) return error == FsError::kNotFound ? ArchiveLoad::kNoArchive : ArchiveLoad::kUnreadable;

  WriteAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
  items->clear();
  manager.nextMonitorId = 0;
  uint8_t countBytes[4];
  size_t got = 0;
  if (!file->Read(countBytes, sizeof countBytes, &got)) return ArchiveLoad::kIncomplete;
  if (got != sizeof countBytes)  // an empty file holds no item
    return got == 0 ? ArchiveLoad::kComplete : ArchiveLoad::kIncomplete;
  uint32_t count = GetU32(countBytes);
  // The count only bounds the loop: every record must be present in full
  // before it is kept, so a large count allocates nothing.
  for (uint32_t i = 0; i < count; ++i) {
    auto info = std::make_unique<MonitorFileInfo>();
    if (!ReadRecord(file.get(), info.get())) return ArchiveLoad::kIncomplete;
    info->id = manager.nextMonitorId++;
    (*items)[info->id] = std::move(info);
  }
  return ArchiveLoad::kComplete;
}

bool SaveArchive(CCoreManager& manager) {
  std::vector<uint8_t> bytes;
  if (!Serialize(manager, &bytes)) return false;
  Env* env = manager.env();
  std::string temp = manager.archivePath + kTempSuffix;
  FsError error = FsError::kOk;
  if (!WriteFileDurably(env, temp, bytes) || !env->Replace(temp, manager.archivePath, &error)) {
    env->DeleteFile(temp, nullptr);
    return false;
  }
  env->SyncDir(ParentPath(manager.archivePath));
  return true;
}

}  // namespace nv
