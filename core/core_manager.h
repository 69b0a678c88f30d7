// The one object that holds the system's state: the three item lists, the
// three job records and the folders the features need.
//
// Feature operations (shred, encrypt, back up, recover, the archive) are free
// functions of the feature modules that take the manager, so this module stays
// below them. All list operations run on the front end's thread.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/jobs.h"
#include "core/records.h"
#include "core/sync.h"
#include "platform/env.h"
#include "platform/known_folders.h"

namespace nv {

constexpr const char* kAppFolderName = "Norvane";
constexpr const char* kArchiveFileName = "FileArchive.dfd";

template <typename Info>
using ItemMap = std::map<uint32_t, std::unique_ptr<Info>>;

class CCoreManager {
 public:
  // env and folders must outlive the manager.
  CCoreManager(Env* env, const SpecialFolders& folders);
  // Aborts running jobs and waits for their workers before anything goes.
  ~CCoreManager();
  CCoreManager(const CCoreManager&) = delete;
  CCoreManager& operator=(const CCoreManager&) = delete;

  // Fills the folder members, creates appDataFolder (mode 0700; an existing
  // folder or a failure is ignored) and sets the id counters to 0. The front
  // end loads the archive afterwards (crypt module, LoadArchive).
  void Init();

  // Adds existing, allowed paths that overlap no listed item. Missing paths are
  // skipped silently; protected ones go to refused, overlapping ones (with a
  // listed item or an earlier path of the same call) to overlapping.
  void AddShredItems(const std::vector<std::string>& paths, std::vector<uint32_t>* added,
                     std::vector<std::string>* overlapping, std::vector<std::string>* refused);
  void RemoveShredItems(const std::vector<uint32_t>& ids);
  // Removes every item whose path no longer exists.
  void PruneShredItems();
  void ClearShredItems();
  // Paths of the given ids, in that order; unknown ids are skipped.
  std::vector<std::string> GetShredPaths(const std::vector<uint32_t>& ids);

  void AddBackupItems(const std::vector<std::string>& paths, std::vector<uint32_t>* added,
                      std::vector<std::string>* overlapping, std::vector<std::string>* refused);
  void RemoveBackupItems(const std::vector<uint32_t>& ids);
  void ClearBackupItems();
  std::vector<std::string> GetBackupPaths(const std::vector<uint32_t>& ids);

  void ClearMonitorItems();

  std::string GetCryptoCurrentFile() { return GetCurrentFile(cryptoJob); }
  std::string GetShredCurrentFile() { return GetCurrentFile(shredJob); }
  std::string GetBackupCurrentFile() { return GetCurrentFile(backupJob); }

  Env* env() const { return env_; }
  const SpecialFolders& folders() const { return folders_; }

  std::string appDataFolder;
  std::string programFolder;
  std::string archivePath;
  CSyncData<ItemMap<MonitorFileInfo>> monitorItems;
  uint32_t nextMonitorId = 0;
  CSyncData<ItemMap<ShredFileInfo>> shredItems;
  uint32_t nextShredId = 0;
  CSyncData<ItemMap<BackupFileInfo>> backupItems;
  uint32_t nextBackupId = 0;
  CryptoJob cryptoJob;
  ShredJob shredJob;
  BackupJob backupJob;

 private:
  Env* env_;
  const SpecialFolders& folders_;
};

// The manager of this process, on the real file system; created on first use.
CCoreManager* GetCoreManager();
// Destroys it (waiting for its workers); the next GetCoreManager makes a new one.
void DestroyCoreManager();

}  // namespace nv
