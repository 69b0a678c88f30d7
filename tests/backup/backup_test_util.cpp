#include "tests/backup/backup_test_util.h"

#include <gtest/gtest.h>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "crypt/cipher.h"
#include "crypt/zlib_codec.h"

namespace nv::test {

Failures Drain(ErrorQueue& queue) {
  WriteAccess<std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>> access(queue);
  Failures failures(access->begin(), access->end());
  access->clear();
  return failures;
}

namespace {
void RunToEnd(BackupJob& job, Env* env) {
  EXPECT_TRUE(LaunchWorker(job, [&job, env] { BackupThread(job, env); }));
  JoinWorker(job);
}
}  // namespace

bool RunBackup(BackupJob& job, Env* env, const std::vector<std::string>& items,
               const std::string& image, const std::string& password, ErrorQueue* errors) {
  if (!PrepareBackupJob(job, env, true, items, image, "", password, errors)) return false;
  RunToEnd(job, env);
  return true;
}

bool RunRecovery(BackupJob& job, Env* env, const std::string& image, const std::string& dest,
                 const std::string& password, ErrorQueue* errors) {
  if (!PrepareBackupJob(job, env, false, {}, image, dest, password, errors)) return false;
  RunToEnd(job, env);
  return true;
}

namespace {
void SnapshotInto(MemEnv& env, const std::string& folder, const std::string& prefix,
                  std::map<std::string, std::string>* out) {
  std::vector<DirEntry> entries;
  if (!env.ListDir(folder, &entries)) return;
  for (const DirEntry& entry : entries) {
    std::string path = JoinPath(folder, entry.name);
    std::string key = prefix + entry.name;
    if (entry.type == EntryType::kDirectory) {
      (*out)[key] = "<dir>";
      SnapshotInto(env, path, key + "/", out);
    } else if (entry.type == EntryType::kSymlink) {
      (*out)[key] = "<link>";
    } else {
      std::string data;
      env.ReadFile(path, &data);
      uint32_t attributes = 0;
      env.GetAttributes(path, &attributes);
      (*out)[key] = data + ((attributes & kAttrReadOnly) ? " <ro>" : "");
    }
  }
}
}  // namespace

std::map<std::string, std::string> Snapshot(MemEnv& env, const std::string& root) {
  std::map<std::string, std::string> out;
  SnapshotInto(env, root, "", &out);
  return out;
}

void RemoveTree(MemEnv& env, const std::string& path) {
  std::vector<DirEntry> entries;
  env.ListDir(path, &entries);
  for (const DirEntry& entry : entries) {
    std::string child = JoinPath(path, entry.name);
    if (entry.type == EntryType::kDirectory)
      RemoveTree(env, child);
    else
      env.DeleteFile(child, nullptr);
  }
  env.RemoveDir(path, nullptr);
}

std::string Pattern(size_t size, uint32_t seed) {
  static const char* kWords[] = {"alpha ", "beta ", "gamma ", "delta\n", "image ", "block "};
  std::string out;
  uint32_t state = seed;
  while (out.size() < size) {
    state = state * 1103515245 + 12345;
    out += kWords[(state >> 16) % 6];
  }
  out.resize(size);
  return out;
}

std::string Noise(size_t size, uint32_t seed) {
  std::string out(size, '\0');
  uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
  for (char& c : out) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

std::unique_ptr<File> HookEnv::Open(const std::string& path, const OpenOptions& options,
                                    FsError* error) {
  if (onOpen) onOpen(path);
  return MemEnv::Open(path, options, error);
}

uint32_t Le32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

bool ParseImage(const std::string& bytes, ParsedImage* image) {
  *image = ParsedImage();
  if (bytes.size() < 80) return false;
  image->header = bytes.substr(0, 80);
  size_t at = 80;
  while (at < bytes.size()) {
    if (bytes.size() - at < 532) return false;
    ParsedEntry entry;
    entry.offset = at;
    entry.magic = Le32(bytes, at);
    entry.kind = Le32(bytes, at + 4);
    entry.attributes = Le32(bytes, at + 8);
    size_t unit = 0;
    for (; unit < 260; ++unit) {
      auto c = static_cast<char16_t>(static_cast<uint8_t>(bytes[at + 12 + 2 * unit]) |
                                     static_cast<uint8_t>(bytes[at + 13 + 2 * unit]) << 8);
      if (c == 0) break;
      entry.path.push_back(c);
    }
    for (size_t rest = 12 + 2 * unit; rest < 532; ++rest)
      if (bytes[at + rest] != 0) entry.pathZeroAfterTerminator = false;
    at += 532;
    if (entry.kind == 1) {
      for (;;) {
        if (bytes.size() - at < 16) return false;
        ParsedBlock block;
        block.offset = at;
        block.magic = Le32(bytes, at);
        block.rawSize = Le32(bytes, at + 4);
        block.storedSize = Le32(bytes, at + 8);
        block.last = Le32(bytes, at + 12);
        at += 16;
        if (bytes.size() - at < block.storedSize) return false;
        at += block.storedSize;
        entry.blocks.push_back(block);
        if (block.last) break;
      }
    }
    image->entries.push_back(std::move(entry));
  }
  return true;
}

std::string BlockPlain(const std::string& bytes, const ParsedBlock& block, const std::string& password) {
  std::vector<uint8_t> clear(block.storedSize);
  DecryptBuffer(static_cast<uint32_t>(password.size()), reinterpret_cast<const uint8_t*>(password.data()),
                reinterpret_cast<const uint8_t*>(bytes.data() + block.offset + 16), block.storedSize,
                clear.data());
  std::string plain(kPlainChunkSize, '\0');
  size_t length = 0;
  if (!DecompressChunk(clear.data(), clear.size(), reinterpret_cast<uint8_t*>(plain.data()), plain.size(),
                       &length))
    return "<damaged>";
  plain.resize(length);
  return plain;
}

ImageBuilder::ImageBuilder(const std::string& password) : password_(password) {
  uint8_t header[kImageHeaderSize];
  EncodeImageHeader(MakeImageHeader(password, 0, 0, 45658.5), header);
  bytes_.assign(reinterpret_cast<const char*>(header), sizeof header);
}

ImageBuilder& ImageBuilder::Folder(const std::u16string& path, uint32_t attributes) {
  return Entry(kEntryFolder, attributes, path);
}

ImageBuilder& ImageBuilder::File(const std::u16string& path, const std::string& content,
                                 uint32_t attributes) {
  Entry(kEntryFile, attributes, path);
  size_t at = 0;
  do {
    size_t length = std::min(kPlainChunkSize, content.size() - at);
    Block(content.substr(at, length), at + length == content.size());
    at += length;
  } while (at < content.size());
  return *this;
}

ImageBuilder& ImageBuilder::Entry(uint32_t kind, uint32_t attributes, const std::u16string& path) {
  uint8_t bytes[kImageEntrySize] = {};
  ImageEntry entry;
  entry.kind = kind;
  entry.attributes = attributes;
  entry.relativePath = path;
  EXPECT_TRUE(EncodeImageEntry(entry, bytes));
  bytes_.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
  return *this;
}

ImageBuilder& ImageBuilder::Block(const std::string& plain, bool last) {
  std::vector<uint8_t> compressed(kStoredChunkCapacity);
  size_t length = 0;
  EXPECT_TRUE(CompressChunk(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), 6,
                            compressed.data(), compressed.size(), &length));
  std::vector<uint8_t> stored(length);
  EncryptBuffer(static_cast<uint32_t>(password_.size()), reinterpret_cast<const uint8_t*>(password_.data()),
                compressed.data(), length, stored.data());
  BlockHeader(static_cast<uint32_t>(plain.size()), static_cast<uint32_t>(length), last ? 1 : 0, DFI_MAGIC);
  bytes_.append(stored.begin(), stored.end());
  return *this;
}

ImageBuilder& ImageBuilder::BlockHeader(uint32_t rawSize, uint32_t storedSize, uint32_t last, uint32_t magic) {
  for (uint32_t value : {magic, rawSize, storedSize, last})
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>(value >> (8 * i)));
  return *this;
}

ImageBuilder& ImageBuilder::Raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

}  // namespace nv::test
