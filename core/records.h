// Records and codes shared by the lists, the jobs and their front ends.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "core/sync.h"

namespace nv {

// One item of the shred list or of the backup list.
struct ShredFileInfo {
  std::string name;  // text after the last '/' of path; path itself when that is empty
  std::string path;  // full path as it was added
  uint32_t id = 0;
  uint32_t isFolder = 0;
};
using BackupFileInfo = ShredFileInfo;

constexpr size_t kPasswordFieldSize = 16;

// One item of the encryptor's monitored list.
struct MonitorFileInfo {
  std::string name;
  std::string path;  // for a file, the plain name, also while only path + ".dfc" exists
  std::array<uint8_t, kPasswordFieldSize> password{};  // zero-padded, not terminated when full
  double addedTime = 0.0;                               // OLE Automation date, local time
  uint32_t id = 0;
  uint32_t encrypted = 0;
  uint32_t isFolder = 0;
};

// The kind of a per-file failure; recorded, not shown to the user.
enum FILE_OPERATION_ERROR : int32_t {
  FOE_NONE = 0,
  FOE_NOT_FOUND = 1,
  FOE_READ_FAILED = 2,
  FOE_WRITE_FAILED = 3,
  FOE_BAD_PASSWORD = 4,
  FOE_BAD_FORMAT = 5,
  FOE_CREATE_FAILED = 6,
  FOE_COMPRESS_FAILED = -1,
};

// The text every front end shows beside a failed path.
constexpr const char* kFailureText = "Abnormal operation result";

using ErrorQueue = CSyncData<std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>>;

enum OperationKind : uint32_t {
  OP_ENCRYPT = 0,
  OP_DECRYPT = 1,
  OP_SHRED = 2,
  OP_BACKUP = 3,
  OP_RECOVERY = 4,
};

enum JobState : uint32_t {
  JOB_RUNNING = 0,
  JOB_PAUSED = 1,
  JOB_STOPPED = 2,
};

// A list asks its page to sort: the value is kept for the windowed front end,
// which passes it with the column and the ascending flag.
constexpr uint32_t WM_APP = 0x8000;
constexpr uint32_t WM_LIST_SORT = WM_APP + 10001;

}  // namespace nv
