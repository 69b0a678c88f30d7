// A fresh folder on the real file system for one test, removed with its
// contents afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace nv::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/nv-test-XXXXXX";
    if (char* made = ::mkdtemp(pattern.data())) path_ = std::filesystem::canonical(made).string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Canonical, so it compares equal to the long form of itself; empty on failure.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace nv::testing
