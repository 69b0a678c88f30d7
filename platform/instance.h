// The windowed program's single-instance marker: a file in the user's data
// folder that the running windowed program holds under an exclusive lock.
// Other processes test the lock to learn whether that program is running.
#pragma once

#include <memory>
#include <string>

namespace nv {

constexpr const char* kInstanceMarkerName = "FixNorvane";

class InstanceMarker {
 public:
  ~InstanceMarker();
  InstanceMarker(const InstanceMarker&) = delete;
  InstanceMarker& operator=(const InstanceMarker&) = delete;

  // Takes the marker at path; null when another process holds it or the file
  // cannot be created.
  static std::unique_ptr<InstanceMarker> Acquire(const std::string& path);
  // True while some process holds the marker at path.
  static bool IsHeld(const std::string& path);

 private:
  explicit InstanceMarker(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace nv
