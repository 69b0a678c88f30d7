// Shared pieces of the backup tests: running jobs to their end, trees in a
// MemEnv, an image parser written from the layout by offsets alone, and a
// builder for damaged and hostile images.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/jobs.h"
#include "core/records.h"
#include "platform/mem_env.h"

namespace nv::test {

using Failures = std::vector<std::pair<std::string, FILE_OPERATION_ERROR>>;

// Takes every queued failure out of the queue.
Failures Drain(ErrorQueue& queue);

// Prepares the job and runs its worker on a thread to the end, as
// StartBackup and StartRecovery do. False when the preparation refused.
bool RunBackup(BackupJob& job, Env* env, const std::vector<std::string>& items,
               const std::string& image, const std::string& password, ErrorQueue* errors);
bool RunRecovery(BackupJob& job, Env* env, const std::string& image, const std::string& dest,
                 const std::string& password, ErrorQueue* errors);

// Everything below root: relative path -> file contents, or "<dir>" for a
// folder, "<link>" for a link; read-only files get " <ro>" appended.
std::map<std::string, std::string> Snapshot(MemEnv& env, const std::string& root);

// Deletes a folder and everything in it.
void RemoveTree(MemEnv& env, const std::string& path);

// Deterministic contents: compressible text-like bytes, or bytes that do not
// compress.
std::string Pattern(size_t size, uint32_t seed);
std::string Noise(size_t size, uint32_t seed);

// A MemEnv that calls a hook before every Open, so tests can pause or abort
// a job at a chosen file.
class HookEnv : public MemEnv {
 public:
  std::function<void(const std::string& path)> onOpen;
  std::unique_ptr<File> Open(const std::string& path, const OpenOptions& options,
                             FsError* error) override;
};

// An image split into its records by the layout's offsets alone.
struct ParsedBlock {
  uint32_t magic = 0, rawSize = 0, storedSize = 0, last = 0;
  size_t offset = 0;  // of the block header
};
struct ParsedEntry {
  uint32_t magic = 0, kind = 0, attributes = 0;
  std::u16string path;
  bool pathZeroAfterTerminator = true;
  size_t offset = 0;
  std::vector<ParsedBlock> blocks;
};
struct ParsedImage {
  std::string header;  // the 80 bytes
  std::vector<ParsedEntry> entries;
};
// False when the bytes do not follow the layout to their end.
bool ParseImage(const std::string& bytes, ParsedImage* image);
uint32_t Le32(const std::string& bytes, size_t offset);
// The plain bytes of one block of a parsed image.
std::string BlockPlain(const std::string& bytes, const ParsedBlock& block, const std::string& password);

// Builds images record by record with the project's encoders, so tests can
// damage exactly one field.
class ImageBuilder {
 public:
  explicit ImageBuilder(const std::string& password);
  ImageBuilder& Folder(const std::u16string& path, uint32_t attributes = 0x10);
  // The entry and its blocks, as the writer stores a file.
  ImageBuilder& File(const std::u16string& path, const std::string& content, uint32_t attributes = 0x20);
  ImageBuilder& Entry(uint32_t kind, uint32_t attributes, const std::u16string& path);
  ImageBuilder& Block(const std::string& plain, bool last);
  ImageBuilder& BlockHeader(uint32_t rawSize, uint32_t storedSize, uint32_t last, uint32_t magic);
  ImageBuilder& Raw(const std::string& bytes);
  const std::string& bytes() const { return bytes_; }

 private:
  std::string password_;
  std::string bytes_;
};

}  // namespace nv::test
