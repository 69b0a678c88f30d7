#include "crypt/crypto_job.h"

#include <cstring>
#include <set>
#include <vector>

#include "core/file_utils.h"
#include "crypt/dfc_file.h"
#include "crypt/monitor_list.h"

namespace nv {
namespace {

// Clears the read-only attribute when set, then deletes; failures are ignored.
void DeleteProcessedFile(Env* env, const std::string& path) {
  uint32_t attributes = 0;
  if (env->GetAttributes(path, &attributes) && (attributes & kAttrReadOnly))
    env->SetAttributes(path, attributes & ~static_cast<uint32_t>(kAttrReadOnly));
  env->DeleteFile(path, nullptr);
}

// The outputs' data was flushed when each was committed; their names must be
// on the medium too before the only other copy of the data goes.
void SyncOutputFolders(Env* env, const std::vector<std::string>& outputs) {
  std::set<std::string> folders;
  for (const std::string& output : outputs) folders.insert(ParentPath(output));
  for (const std::string& folder : folders) env->SyncDir(folder.empty() ? "." : folder);
}

}  // namespace

void RunCryptoJob(Env* env, CryptoJob& job) {
  for (const std::string& file : job.files) {
    if (job.encrypt)
      EncryptFile(env, file, job);
    else
      DecryptFile(env, file, job);
    if (job.command == JOB_STOPPED) break;
  }
  if (job.command != JOB_STOPPED) {
    SyncOutputFolders(env, job.doneOutputs);
    for (const std::string& source : job.doneSources) DeleteProcessedFile(env, source);
    job.doneSources.clear();
  } else {
    for (const std::string& output : job.doneOutputs) DeleteProcessedFile(env, output);
    job.doneOutputs.clear();
  }
}

bool StartCryptoJob(CCoreManager& manager, uint32_t id, bool encrypt, const std::string& password,
                    ErrorQueue* errors) {
  CryptoJob& job = manager.cryptoJob;
  if (job.state != JOB_STOPPED) return false;
  JoinWorker(job);  // the last run's worker may still be on its way out
  std::string path, key;
  {
    ReadAccess<ItemMap<MonitorFileInfo>> items(manager.monitorItems);
    auto it = items->find(id);
    if (it != items->end()) {
      const MonitorFileInfo& info = *it->second;
      path = encrypt || info.isFolder ? info.path : info.path + kDfcExtension;
      key = encrypt ? StoredPassword(info) : ToAnsi(password);
    }
  }
  if (key.size() > kPasswordFieldSize || path.empty()) return false;

  job.encrypt = encrypt;
  job.errors = errors;
  job.reserved = 0;
  job.compressionSetting = 0;
  job.password.fill(0);
  std::memcpy(job.password.data(), key.data(), key.size());
  job.passwordLength = static_cast<uint32_t>(key.size());
  job.totalPercent = 0.0;
  job.filePercent = 0.0;
  job.files.clear();
  uint64_t total = 0;
  Enumerate(manager.env(), path, &job.files, encrypt ? nullptr : kDfcExtension, true, &total, false);
  job.totalBytes = total;
  if (job.files.empty()) return false;

  job.doneBytes = 0;
  SetCurrentFile(job, "");
  job.doneSources.clear();
  job.doneOutputs.clear();
  Env* env = manager.env();
  return LaunchWorker(job, [env, &job] { RunCryptoJob(env, job); });
}

}  // namespace nv
