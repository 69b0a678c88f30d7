#include "backup/backup_job.h"

#include <algorithm>

#include "backup/image_format.h"
#include "backup/image_reader.h"
#include "backup/image_writer.h"
#include "core/file_utils.h"
#include "core/job.h"

namespace nv {
namespace {

bool Launch(BackupJob& job, Env* env) {
  return LaunchWorker(job, [&job, env] { BackupThread(job, env); });
}

void DeleteCreatedFiles(BackupJob& job, Env* env) {
  for (const std::string& path : job.createdFiles) {
    uint32_t attributes = 0;
    if (env->GetAttributes(path, &attributes) && (attributes & kAttrReadOnly))
      env->SetAttributes(path, attributes & ~uint32_t{kAttrReadOnly});
    env->DeleteFile(path, nullptr);
  }
  job.createdFiles.clear();
}

}  // namespace

bool StartBackup(CCoreManager& manager, const std::vector<uint32_t>& ids, const std::string& imagePath,
                 const std::string& password, ErrorQueue* errors) {
  BackupJob& job = manager.backupJob;
  if (job.state != JOB_STOPPED) return false;
  std::vector<std::string> paths = manager.GetBackupPaths(ids);
  if (!PrepareBackupJob(job, manager.env(), true, paths, imagePath, "", ToAnsi(password), errors))
    return false;
  return Launch(job, manager.env());
}

bool StartRecovery(CCoreManager& manager, const std::string& imagePath,
                   const std::string& destinationFolder, const std::string& password,
                   ErrorQueue* errors) {
  BackupJob& job = manager.backupJob;
  if (job.state != JOB_STOPPED) return false;
  if (!PrepareBackupJob(job, manager.env(), false, {}, imagePath, destinationFolder, ToAnsi(password),
                        errors))
    return false;
  return Launch(job, manager.env());
}

bool PrepareBackupJob(BackupJob& job, Env* env, bool isBackup, const std::vector<std::string>& items,
                      const std::string& imagePath, const std::string& destinationFolder,
                      const std::string& passwordBytes, ErrorQueue* errors) {
  if (job.state != JOB_STOPPED) return false;
  if (imagePath.empty() || passwordBytes.size() > kImagePasswordSize) return false;
  if (isBackup ? items.empty() : destinationFolder.empty()) return false;
  JoinWorker(job);  // the last run has already set JOB_STOPPED as its final act
  job.isBackup = isBackup;
  job.items = isBackup ? items : std::vector<std::string>{};
  job.destinationFolder = isBackup ? "" : destinationFolder;
  job.imagePath = imagePath;
  job.errors = errors;
  job.reserved = 0;
  job.compressionSetting = 0;
  job.password.fill(0);
  std::copy(passwordBytes.begin(), passwordBytes.end(), job.password.begin());
  job.passwordLength = static_cast<uint32_t>(passwordBytes.size());
  job.percent = 0.0;
  uint64_t total = 0;
  if (isBackup) {
    std::vector<std::string> files;
    for (const std::string& item : items) {
      Enumerate(env, item, &files, nullptr, true, &total, false);
      files.clear();
    }
  } else {
    EntryInfo info;
    std::string resolved = env->LongForm(imagePath);  // the image may be reached through a link
    if (!resolved.empty() && env->Stat(resolved, &info)) total = info.size;
  }
  job.totalBytes = total;
  job.doneBytes = 0;
  SetCurrentFile(job, "");
  job.createdFiles.clear();
  return true;
}

void BackupThread(BackupJob& job, Env* env) {
  if (job.isBackup)
    WriteImage(job, env);
  else
    ReadImage(job, env);
  if (job.command == JOB_STOPPED) DeleteCreatedFiles(job, env);
}

double BackupPercent(uint64_t doneBytes, uint64_t totalBytes) {
  if (totalBytes == 0) return 0.0;
  return std::min(100.0, static_cast<double>(doneBytes) / static_cast<double>(totalBytes) * 100.0);
}

}  // namespace nv
