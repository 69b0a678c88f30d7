// The three job records the core manager holds. Their algorithms live in the
// feature modules (shred, crypt, backup), which fill and run these records.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"

namespace nv {

enum ShredMethod : uint32_t {
  SHRED_GUTMANN = 0,
  SHRED_ZEROS = 1,
  SHRED_ONES = 2,
  SHRED_RANDOM = 3,
  SHRED_NSA = 4,
  SHRED_OLD_NSA = 5,
  SHRED_US_MILITARY = 6,
  SHRED_NATO = 7,
};
constexpr uint32_t kShredMethodCount = 8;

// The text of an erase method; "" for a code above 7.
std::string GetShredMethodText(uint32_t code);
// Passes of a method (35, 1, 1, 1, 3, 4, 3, 7); 0 for a code above 7.
uint32_t ShredPassCount(uint32_t code);

constexpr size_t kPassBufferSize = 65536;

struct ShredJob : JobStatus {
  ~ShredJob() { AbortAndJoin(*this); }  // before the fields the worker uses go
  ShredMethod method = SHRED_GUTMANN;
  std::vector<std::string> paths;
  std::atomic<double> totalPercent{0.0};
  std::atomic<double> filePercent{0.0};
  std::vector<std::vector<uint8_t>> passes;  // one 64 KiB buffer per pass
};

struct CryptoJob : JobStatus {
  ~CryptoJob() { AbortAndJoin(*this); }  // before the fields the worker uses go
  uint32_t reserved = 0;
  uint32_t compressionSetting = 0;
  std::array<uint8_t, 16> password{};
  uint32_t passwordLength = 0;
  std::vector<std::string> files;
  std::atomic<double> totalPercent{0.0};
  std::atomic<double> filePercent{0.0};
  bool encrypt = true;
  std::vector<std::string> doneSources;
  std::vector<std::string> doneOutputs;
};

struct BackupJob : JobStatus {
  ~BackupJob() { AbortAndJoin(*this); }  // before the fields the worker uses go
  uint32_t reserved = 0;
  uint32_t compressionSetting = 0;
  std::array<uint8_t, 16> password{};
  uint32_t passwordLength = 0;
  std::vector<std::string> items;
  std::string imagePath;
  std::string destinationFolder;
  std::atomic<double> percent{0.0};
  std::vector<std::string> createdFiles;
  bool isBackup = true;
};

}  // namespace nv
