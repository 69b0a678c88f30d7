#include "shred/shred_file.h"

#include <algorithm>
#include <vector>

#include "core/job.h"
#include "shred/name_slots.h"

namespace nv {
namespace {

enum class Outcome { kOverwritten, kAborted, kFailed };

void AddProgress(ShredJob& job, uint64_t bytes, uint64_t fileWritten, uint64_t fileTotal) {
  uint64_t done = job.doneBytes.fetch_add(bytes) + bytes;
  job.filePercent = static_cast<double>(fileWritten) / static_cast<double>(fileTotal) * 100.0;
  uint64_t total = job.totalBytes;
  // A job that found nothing to measure shows 0 rather than dividing by zero.
  job.totalPercent = total ? static_cast<double>(done) / static_cast<double>(total) * 100.0 : 0.0;
}

// Writes the buffer over the whole file from offset 0: whole buffers, then the tail.
bool WritePass(ShredJob& job, File& file, const std::vector<uint8_t>& buffer, uint64_t size,
               uint64_t fileTotal, uint64_t* fileWritten) {
  if (!file.Seek(0)) return false;
  for (uint64_t left = size; left > 0;) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
    size_t written = 0;
    if (!file.Write(buffer.data(), chunk, &written) || written != chunk) return false;
    left -= chunk;
    *fileWritten += chunk;
    AddProgress(job, chunk, *fileWritten, fileTotal);
  }
  return true;
}

Outcome Overwrite(ShredJob& job, Env* env, const std::string& path) {
  OpenOptions options;
  options.access = Access::kReadWrite;
  options.disposition = Disposition::kOpenExisting;
  options.share = Share::kExclusive;
  options.followLinks = false;
  std::unique_ptr<File> file = env->Open(path, options, nullptr);
  if (!file) return Outcome::kFailed;
  job.filePercent = 0.0;
  SetCurrentFile(job, path);
  uint64_t size = 0;
  Outcome outcome = file->Size(&size) ? Outcome::kOverwritten : Outcome::kFailed;
  const uint64_t fileTotal = size * job.passes.size();
  uint64_t fileWritten = 0;
  for (const std::vector<uint8_t>& buffer : job.passes) {
    if (outcome != Outcome::kOverwritten) break;
    if (!PauseCheckPoint(job) || job.command == JOB_STOPPED) {
      outcome = Outcome::kAborted;
      break;
    }
    bool written = WritePass(job, *file, buffer, size, fileTotal, &fileWritten);
    // Each pass must reach the medium before the next one replaces it in the
    // cache; otherwise only the last pass would ever be written.
    bool flushed = file->Sync();
    if (!written || !flushed) outcome = Outcome::kFailed;
  }
  if (!file->Close() && outcome == Outcome::kOverwritten) outcome = Outcome::kFailed;
  return outcome;
}

// Creates each churn name that does not exist yet, then removes exactly those.
void ChurnFileNames(Env* env, const std::string& path) {
  std::vector<std::string> names = ChurnNames(path);
  std::vector<bool> created(names.size(), false);
  OpenOptions options;
  options.access = Access::kReadWrite;
  options.disposition = Disposition::kCreateNew;
  options.share = Share::kShareAll;
  options.createMode = 0600;
  options.followLinks = false;
  for (size_t i = 0; i < names.size(); ++i) created[i] = env->Open(names[i], options, nullptr) != nullptr;
  for (size_t i = 0; i < names.size(); ++i)
    if (created[i]) env->DeleteFile(names[i], nullptr);
}

void RemoveOverwritten(ShredJob& job, Env* env, const std::string& path) {
  std::string moved = MoveToWorkingName(env, path);
  std::string current = moved.empty() ? path : moved;
  if (!env->DeleteFile(current, nullptr)) {
    // Leave the remains under the name the user knows, and say so.
    if (!moved.empty() && env->Rename(moved, path, nullptr)) current = path;
    QueueError(job.errors, current, FOE_READ_FAILED);
    return;
  }
  if (WorkingNameFits(path)) ChurnFileNames(env, path);
}

}  // namespace

void ShredOneFile(ShredJob& job, Env* env, const std::string& path) {
  uint32_t attributes = 0;
  bool readOnly = env->GetAttributes(path, &attributes) && (attributes & kAttrReadOnly);
  if (readOnly) env->SetAttributes(path, attributes & ~kAttrReadOnly);
  Outcome outcome = Overwrite(job, env, path);
  if (outcome == Outcome::kOverwritten) {
    RemoveOverwritten(job, env, path);
    return;
  }
  if (readOnly) env->SetAttributes(path, attributes);
  if (outcome == Outcome::kFailed) QueueError(job.errors, path, FOE_READ_FAILED);
}

}  // namespace nv
