// Small helpers for the shredder's tests on the real file system.
#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "tests/platform/file_bytes.h"

namespace nv::testing {

// A distinctive content that no pass pattern produces.
inline std::string Content(size_t size, char seed = 'a') {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>(seed + i % 23);
  return data;
}

// The names in a folder (not following links), sorted.
inline std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace nv::testing
