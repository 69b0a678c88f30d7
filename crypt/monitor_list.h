// The encryptor's monitored list: operations of the core manager on
// monitorItems. Every change that removes or adds an item saves the archive.
//
// The front end checks that a path exists, is allowed and overlaps no item
// before it calls AddMonitorItem; the operation itself checks only what the
// archive and the cipher can hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/core_manager.h"

namespace nv {

enum class AddRefusal {
  kNone,
  kPasswordTooLong,  // the password's stored form (UTF-8) exceeds 16 bytes
  kPathTooLong,      // the path exceeds 260 UTF-16 code units, more than the archive holds
};

// Adds an item with the current time and the password's stored form, then
// saves the archive. Refuses, changing nothing, what could not be stored in
// full: the id is then empty and *refusal (when given) tells why.
std::optional<uint32_t> AddMonitorItem(CCoreManager& manager, const std::string& path,
                                       const std::string& password, AddRefusal* refusal = nullptr);

// Removes the item (its files are not touched) and saves the archive when one
// was removed. True when an item had the id.
bool RemoveMonitorItem(CCoreManager& manager, uint32_t id);

// The item's path, or "" when no item has the id.
std::string GetMonitorItemPath(CCoreManager& manager, uint32_t id);

// A file item counts as encrypted exactly while path + ".dfc" exists; folder
// items keep the value they were added or loaded with.
void RefreshEncryptedStates(CCoreManager& manager);

// True when a file below a folder item ends in ".dfc", or, for a file item,
// when path + ".dfc" is a file.
bool HasEncryptedFiles(CCoreManager& manager, uint32_t id);

// True when the password's stored form equals the item's stored password.
// A password of more than 16 UTF-16 code units is refused without a look.
bool CheckItemPassword(CCoreManager& manager, uint32_t id, const std::string& password);

// True when path is a regular file whose name ends in ".dfc", ignoring case.
bool IsDfcFile(CCoreManager& manager, const std::string& path);

// The item's password as stored: the field's bytes before the first zero.
std::string StoredPassword(const MonitorFileInfo& info);

// What the list shows for an item: "N/A" for a folder, else "Encrypted" or "Normal".
const char* MonitorStatusText(const MonitorFileInfo& info);

// A time as "MM-DD-YYYY hh:mm:ss"; every part is -1 when the date cannot be
// split into calendar fields.
std::string FormatMonitorTime(double oleDate);

}  // namespace nv
