#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/instance.h"

namespace nv {

InstanceMarker::~InstanceMarker() { ::close(fd_); }

std::unique_ptr<InstanceMarker> InstanceMarker::Acquire(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceMarker>(new InstanceMarker(fd));
}

bool InstanceMarker::IsHeld(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

}  // namespace nv
