#include "core/core_manager.h"

#include "core/file_utils.h"

namespace nv {
namespace {

template <typename Info>
void AddItems(Env* env, const SpecialFolders& folders, CSyncData<ItemMap<Info>>& list,
              uint32_t* nextId, const std::vector<std::string>& paths, std::vector<uint32_t>* added,
              std::vector<std::string>* overlapping, std::vector<std::string>* refused) {
  std::vector<std::unique_ptr<Info>> candidates;
  for (const std::string& path : paths) {
    uint32_t attributes = 0;
    if (!env->GetAttributes(path, &attributes)) continue;
    if (!IsAllowedItem(env, folders, path)) {
      refused->push_back(path);
      continue;
    }
    auto info = std::make_unique<Info>();
    info->path = path;
    info->isFolder = (attributes & kAttrDirectory) ? 1 : 0;
    info->name = DisplayName(path);
    candidates.push_back(std::move(info));
  }
  WriteAccess<ItemMap<Info>> items(list);
  for (auto& candidate : candidates) {
    bool overlaps = false;
    for (const auto& [id, record] : *items) {
      bool same = false, inside = false;
      if (PathRelation(env, record->path, candidate->path, &same, &inside) ||
          PathRelation(env, candidate->path, record->path, &same, &inside)) {
        overlaps = true;
        break;
      }
    }
    if (overlaps) {
      overlapping->push_back(candidate->path);
      continue;
    }
    candidate->id = *nextId;
    added->push_back(*nextId);
    (*items)[*nextId] = std::move(candidate);
    ++*nextId;
  }
}

template <typename Info>
void RemoveItems(CSyncData<ItemMap<Info>>& list, const std::vector<uint32_t>& ids) {
  WriteAccess<ItemMap<Info>> items(list);
  for (uint32_t id : ids) items->erase(id);
}

template <typename Info>
void ClearItems(CSyncData<ItemMap<Info>>& list, uint32_t* nextId) {
  WriteAccess<ItemMap<Info>> items(list);
  items->clear();
  *nextId = 0;
}

template <typename Info>
std::vector<std::string> ItemPaths(CSyncData<ItemMap<Info>>& list, const std::vector<uint32_t>& ids) {
  ReadAccess<ItemMap<Info>> items(list);
  std::vector<std::string> paths;
  for (uint32_t id : ids) {
    auto it = items->find(id);
    if (it != items->end()) paths.push_back(it->second->path);
  }
  return paths;
}

// Creates path and its missing ancestors; failures are left to the caller's next step.
void CreateFolderTree(Env* env, const std::string& path, uint32_t mode) {
  EntryInfo info;
  if (path.empty() || path == "/" || env->Stat(path, &info)) return;
  CreateFolderTree(env, ParentPath(path), mode);
  env->CreateDir(path, mode, nullptr);
}

}  // namespace

CCoreManager::CCoreManager(Env* env, const SpecialFolders& folders) : env_(env), folders_(folders) {}

CCoreManager::~CCoreManager() {
  AbortAndJoin(backupJob);
  AbortAndJoin(shredJob);
  AbortAndJoin(cryptoJob);
}

void CCoreManager::Init() {
  appDataFolder = JoinPath(folders_.localAppData, kAppFolderName);
  programFolder = folders_.programFolder;
  archivePath = JoinPath(appDataFolder, kArchiveFileName);
  // The archive holds the items' passwords: only the owner may enter its folder.
  CreateFolderTree(env_, ParentPath(appDataFolder), 0755);
  env_->CreateDir(appDataFolder, 0700, nullptr);
  nextMonitorId = 0;
  nextShredId = 0;
  nextBackupId = 0;
}

void CCoreManager::AddShredItems(const std::vector<std::string>& paths, std::vector<uint32_t>* added,
                                 std::vector<std::string>* overlapping,
                                 std::vector<std::string>* refused) {
  AddItems(env_, folders_, shredItems, &nextShredId, paths, added, overlapping, refused);
}

void CCoreManager::RemoveShredItems(const std::vector<uint32_t>& ids) { RemoveItems(shredItems, ids); }

void CCoreManager::PruneShredItems() {
  WriteAccess<ItemMap<ShredFileInfo>> items(shredItems);
  for (auto it = items->begin(); it != items->end();) {
    uint32_t attributes = 0;
    if (env_->GetAttributes(it->second->path, &attributes))
      ++it;
    else
      it = items->erase(it);
  }
}

void CCoreManager::ClearShredItems() { ClearItems(shredItems, &nextShredId); }

std::vector<std::string> CCoreManager::GetShredPaths(const std::vector<uint32_t>& ids) {
  return ItemPaths(shredItems, ids);
}

void CCoreManager::AddBackupItems(const std::vector<std::string>& paths, std::vector<uint32_t>* added,
                                  std::vector<std::string>* overlapping,
                                  std::vector<std::string>* refused) {
  AddItems(env_, folders_, backupItems, &nextBackupId, paths, added, overlapping, refused);
}

void CCoreManager::RemoveBackupItems(const std::vector<uint32_t>& ids) { RemoveItems(backupItems, ids); }

void CCoreManager::ClearBackupItems() { ClearItems(backupItems, &nextBackupId); }

std::vector<std::string> CCoreManager::GetBackupPaths(const std::vector<uint32_t>& ids) {
  return ItemPaths(backupItems, ids);
}

void CCoreManager::ClearMonitorItems() { ClearItems(monitorItems, &nextMonitorId); }

namespace {
std::unique_ptr<CCoreManager>& TheManager() {
  static std::unique_ptr<CCoreManager> manager;
  return manager;
}
}  // namespace

CCoreManager* GetCoreManager() {
  auto& manager = TheManager();
  if (!manager) manager = std::make_unique<CCoreManager>(Env::Default(), GetSpecialFolders());
  return manager.get();
}

void DestroyCoreManager() { TheManager().reset(); }

}  // namespace nv
