// Starting backups and recoveries: the core manager's operations, the
// preparation both share and the worker procedure that runs either.
//
// One BackupJob (the manager's backupJob) serves both, so at most one backup
// or recovery runs at a time. Its worker is joined before the next run and
// when the manager goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/core_manager.h"
#include "core/jobs.h"
#include "core/records.h"
#include "platform/env.h"

namespace nv {

// Backs up the backup-list items with the given ids, in that order, into a new
// image at imagePath, keyed with password (typed text; its stored form must
// not exceed 16 bytes). False, with nothing started or written, when a backup
// or recovery is running, no id is listed, the image path is empty, the
// password is too long or no thread can be created.
bool StartBackup(CCoreManager& manager, const std::vector<uint32_t>& ids, const std::string& imagePath,
                 const std::string& password, ErrorQueue* errors);

// Restores the image into destinationFolder. False, with nothing started,
// when a job is running, a path is empty, the password is too long or no
// thread can be created.
bool StartRecovery(CCoreManager& manager, const std::string& imagePath,
                   const std::string& destinationFolder, const std::string& password,
                   ErrorQueue* errors);

// Fills the job for a run. items (backup) are the top-level paths;
// destinationFolder is for a recovery only; passwordBytes is the stored form.
// Sets totalBytes to the sizes of every file under the items (backup) or to
// the image's size (recovery), and clears the progress, the current file and
// the created files. False, changing nothing, when the job is not stopped,
// the paths it needs are empty or the password exceeds 16 bytes.
bool PrepareBackupJob(BackupJob& job, Env* env, bool isBackup, const std::vector<std::string>& items,
                      const std::string& imagePath, const std::string& destinationFolder,
                      const std::string& passwordBytes, ErrorQueue* errors);

// The worker: writes or reads the image, then, when the job was aborted,
// deletes every file in createdFiles (clearing read-only first). Setting the
// job stopped is left to LaunchWorker.
void BackupThread(BackupJob& job, Env* env);

// The job's progress for doneBytes of totalBytes, 0 to 100.
double BackupPercent(uint64_t doneBytes, uint64_t totalBytes);

}  // namespace nv
