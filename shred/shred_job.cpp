#include "shred/shred_job.h"

#include "core/file_utils.h"
#include "core/job.h"
#include "shred/name_slots.h"
#include "shred/shred_file.h"
#include "shred/shred_passes.h"

namespace nv {
namespace {

bool Aborted(const ShredJob& job) { return job.command == JOB_STOPPED; }

// Removes an entry that is neither a regular file nor a folder, without
// opening it or following it.
void RemoveEntry(ShredJob& job, Env* env, const std::string& path) {
  FsError error = FsError::kOk;
  if (!env->DeleteFile(path, &error) && error != FsError::kNotFound)
    QueueError(job.errors, path, FOE_READ_FAILED);
}

// Creates folder churn names until one cannot be created (taken or refused),
// then removes exactly the ones it created.
void ChurnFolderNames(Env* env, const std::string& path) {
  std::vector<std::string> names = ChurnNames(path);
  size_t created = 0;
  while (created < names.size() && env->CreateDir(names[created], 0700, nullptr)) ++created;
  for (size_t i = 0; i < created; ++i) env->RemoveDir(names[i], nullptr);
}

void RemoveFolder(ShredJob& job, Env* env, const std::string& path) {
  uint32_t attributes = 0;
  if (env->GetAttributes(path, &attributes) && (attributes & kAttrReadOnly))
    env->SetAttributes(path, attributes & ~kAttrReadOnly);
  FsError error = FsError::kOk;
  if (!env->RemoveDir(path, &error)) {
    // A folder still holding a file that failed was reported through that file.
    if (error != FsError::kNotEmpty && error != FsError::kNotFound)
      QueueError(job.errors, path, FOE_READ_FAILED);
    return;
  }
  if (WorkingNameFits(path)) ChurnFolderNames(env, path);
}

void ShredItem(ShredJob& job, Env* env, const std::string& path);

void ShredFolder(ShredJob& job, Env* env, const std::string& path) {
  std::vector<DirEntry> entries;
  if (!env->ListDir(path, &entries)) {
    EntryInfo info;
    if (env->Stat(path, &info)) QueueError(job.errors, path, FOE_READ_FAILED);
    return;
  }
  for (const DirEntry& entry : entries) {
    if (Aborted(job)) return;
    ShredItem(job, env, JoinPath(path, entry.name));
  }
  if (!Aborted(job)) RemoveFolder(job, env, path);
}

void ShredItem(ShredJob& job, Env* env, const std::string& path) {
  if (!PathFits(path)) {
    QueueError(job.errors, path, FOE_READ_FAILED);
    return;
  }
  EntryInfo info;
  if (!env->Stat(path, &info)) return;  // gone before its turn
  switch (info.type) {
    case EntryType::kFile: ShredOneFile(job, env, path); break;
    case EntryType::kDirectory: ShredFolder(job, env, path); break;
    case EntryType::kSymlink:
    case EntryType::kOther: RemoveEntry(job, env, path); break;
  }
}

void RunShred(ShredJob& job, Env* env) {
  for (const std::string& path : job.paths) {
    ShredItem(job, env, path);
    if (Aborted(job)) break;
  }
  FreePasses(job);
}

}  // namespace

bool StartShredJob(ShredJob& job, Env* env, const std::vector<std::string>& paths, uint32_t method,
                   ErrorQueue* errors) {
  if (job.state != JOB_STOPPED || paths.empty() || method >= kShredMethodCount) return false;
  JoinWorker(job);  // the last run has stopped; its thread may still be leaving
  job.paths = paths;
  job.totalPercent = 0.0;
  job.filePercent = 0.0;
  job.errors = errors;
  job.method = static_cast<ShredMethod>(method);
  SetCurrentFile(job, "");
  job.totalBytes = 0;
  job.doneBytes = 0;
  for (const std::string& path : paths) {
    std::vector<std::string> files;
    uint64_t size = 0;
    if (Enumerate(env, path, &files, nullptr, true, &size, false)) job.totalBytes += size;
  }
  if (!PreparePasses(job)) return false;
  if (!LaunchWorker(job, [&job, env] { RunShred(job, env); })) {
    FreePasses(job);
    return false;
  }
  return true;
}

bool StartShred(CCoreManager& manager, const std::vector<uint32_t>& ids, ErrorQueue* errors,
                uint32_t method) {
  if (manager.shredJob.state != JOB_STOPPED) return false;
  return StartShredJob(manager.shredJob, manager.env(), manager.GetShredPaths(ids), method, errors);
}

}  // namespace nv
