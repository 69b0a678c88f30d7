// Scratch folders, whole-file helpers and a manager on a scratch folder for
// the crypt tests.
#pragma once

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/core_manager.h"
#include "tests/platform/file_bytes.h"
#include "tests/platform/temp_dir.h"

namespace nv::testing {

// Bytes that compress poorly, from a fixed seed.
inline std::string RandomBytes(size_t n, uint32_t seed = 1) {
  std::mt19937 generator(seed);
  std::string data(n, '\0');
  for (char& c : data) c = static_cast<char>(generator());
  return data;
}

inline std::string FixturePath(const std::string& name) { return std::string(NV_CRYPT_FIXTURES) + "/" + name; }

// Names of every entry in a folder (not recursive), sorted.
inline std::string ListNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

// A manager whose application-data folder lies in a scratch folder.
class ManagerFixture {
 public:
  explicit ManagerFixture(Env* env) {
    folders_.systemDriveRoot = "/";
    folders_.localAppData = dir_.path() + "/appdata";
    manager_ = std::make_unique<CCoreManager>(env, folders_);
    manager_->Init();
  }
  CCoreManager& manager() { return *manager_; }
  // A second manager on the same folders, as after a restart.
  std::unique_ptr<CCoreManager> Restart(Env* env) {
    auto other = std::make_unique<CCoreManager>(env, folders_);
    other->Init();
    return other;
  }
  std::string Path(const std::string& name) const { return dir_.path() + "/" + name; }
  void Destroy() { manager_.reset(); }

 private:
  TempDir dir_;
  SpecialFolders folders_;
  std::unique_ptr<CCoreManager> manager_;
};

}  // namespace nv::testing
