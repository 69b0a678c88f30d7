#include "crypt/monitor_list.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/file_utils.h"
#include "core/utf16.h"
#include "crypt/archive.h"
#include "crypt/dfc_file.h"
#include "platform/clock.h"

namespace nv {

using MonitorMap = ItemMap<MonitorFileInfo>;

std::optional<uint32_t> AddMonitorItem(CCoreManager& manager, const std::string& path,
                                       const std::string& password, AddRefusal* refusal) {
  AddRefusal why = AddRefusal::kNone;
  std::string stored = ToAnsi(password);
  if (stored.size() > kPasswordFieldSize)
    why = AddRefusal::kPasswordTooLong;
  else if (Utf16Length(path) * 2 > kMaxArchiveStringBytes)
    why = AddRefusal::kPathTooLong;
  if (refusal) *refusal = why;
  if (why != AddRefusal::kNone) return std::nullopt;

  auto info = std::make_unique<MonitorFileInfo>();
  info->path = path;
  info->name = DisplayName(path);
  info->addedTime = NowOleDate();
  uint32_t attributes = 0;
  info->isFolder = manager.env()->GetAttributes(path, &attributes) && (attributes & kAttrDirectory) ? 1 : 0;
  info->encrypted = IsDfcFile(manager, path) ? 1 : 0;
  std::memcpy(info->password.data(), stored.data(), stored.size());
  uint32_t id;
  {
    WriteAccess<MonitorMap> items(manager.monitorItems);
    id = manager.nextMonitorId++;
    info->id = id;
    (*items)[id] = std::move(info);
  }
  SaveArchive(manager);
  return id;
}

bool RemoveMonitorItem(CCoreManager& manager, uint32_t id) {
  bool removed;
  {
    WriteAccess<MonitorMap> items(manager.monitorItems);
    removed = items->erase(id) != 0;
  }
  if (removed) SaveArchive(manager);
  return removed;
}

std::string GetMonitorItemPath(CCoreManager& manager, uint32_t id) {
  ReadAccess<MonitorMap> items(manager.monitorItems);
  auto it = items->find(id);
  return it == items->end() ? std::string() : it->second->path;
}

void RefreshEncryptedStates(CCoreManager& manager) {
  WriteAccess<MonitorMap> items(manager.monitorItems);
  for (auto& [id, info] : *items) {
    if (info->isFolder) continue;
    uint32_t attributes = 0;
    info->encrypted = manager.env()->GetAttributes(info->path + kDfcExtension, &attributes) ? 1 : 0;
  }
}

bool HasEncryptedFiles(CCoreManager& manager, uint32_t id) {
  std::string path = GetMonitorItemPath(manager, id);
  std::vector<std::string> candidates;
  Enumerate(manager.env(), path, &candidates, kDfcExtension, true, nullptr, false);
  if (candidates.empty()) candidates.push_back(path + kDfcExtension);
  for (const std::string& candidate : candidates)
    if (IsDfcFile(manager, candidate)) return true;
  return false;
}

bool CheckItemPassword(CCoreManager& manager, uint32_t id, const std::string& password) {
  if (Utf16Length(password) > kPasswordFieldSize) return false;
  std::string typed = ToAnsi(password);
  ReadAccess<MonitorMap> items(manager.monitorItems);
  auto it = items->find(id);
  return it != items->end() && StoredPassword(*it->second) == typed;
}

bool IsDfcFile(CCoreManager& manager, const std::string& path) {
  EntryInfo info;
  return EndsWithIgnoringCase(path, kDfcExtension) && manager.env()->Stat(path, &info) &&
         info.type == EntryType::kFile;
}

std::string StoredPassword(const MonitorFileInfo& info) {
  const char* bytes = reinterpret_cast<const char*>(info.password.data());
  return std::string(bytes, strnlen(bytes, info.password.size()));
}

const char* MonitorStatusText(const MonitorFileInfo& info) {
  if (info.isFolder) return "N/A";
  return info.encrypted ? "Encrypted" : "Normal";
}

std::string FormatMonitorTime(double oleDate) {
  CalendarTime t;
  OleDateToCalendar(oleDate, &t);  // fields stay -1 when the date cannot be split
  char text[64];
  std::snprintf(text, sizeof text, "%02d-%02d-%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace nv
