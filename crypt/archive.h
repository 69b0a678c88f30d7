// The archive "FileArchive.dfd": the monitored list and its passwords, kept
// across runs in the manager's appDataFolder.
//
// Layout (little-endian, no header but the count, no checksum): a 4-byte
// record count, then per item in ascending id: name length in bytes and the
// name (UTF-16LE, no terminator), path length and the path, the 16-byte
// password field under EncryptFixedBlock, addedTime (8-byte double),
// encrypted and isFolder (4 bytes each, 0 or 1). Ids are not stored: loading
// numbers the items from 0 in file order.
//
// Front ends call CCoreManager::Init first (it sets archivePath and creates the
// folder), then LoadArchive.
#pragma once

#include <cstddef>

#include "core/core_manager.h"

namespace nv {

// Longest name or path the archive holds: 260 UTF-16 code units.
constexpr size_t kMaxArchiveStringBytes = 520;

enum class ArchiveLoad {
  kNoArchive,   // no archive file: the list was left as it was
  kUnreadable,  // the file exists but cannot be opened: the list was left as it was
  kComplete,    // the list now holds every record
  kIncomplete,  // the file ends early or holds a string longer than 520 bytes:
                // the list holds the complete records before the damage
};

// Replaces the monitored list by the archive's content and sets nextMonitorId
// to the number of records loaded.
ArchiveLoad LoadArchive(CCoreManager& manager);

// Writes the list to a temporary file (mode 0600), flushes it and moves it over
// the archive, so a failure at any point leaves the earlier archive as it was.
// False when nothing was replaced, also when an item's name or path exceeds
// kMaxArchiveStringBytes in UTF-16.
bool SaveArchive(CCoreManager& manager);

}  // namespace nv
