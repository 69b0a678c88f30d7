// Volumes on the block devices and image files of Linux.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "platform/volume.h"

namespace nv {
namespace {

VolumeError FromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return VolumeError::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return VolumeError::kAccessDenied;
    case EBUSY:
    case EWOULDBLOCK: return VolumeError::kBusy;
    default: return VolumeError::kIo;
  }
}

void SetError(VolumeError* out, VolumeError value) {
  if (out) *out = value;
}

class PosixVolume : public Volume {
 public:
  PosixVolume(int fd, bool blockDevice, uint32_t imageSectorSize)
      : fd_(fd), blockDevice_(blockDevice), imageSectorSize_(imageSectorSize) {}
  ~PosixVolume() override { ::close(fd_); }

  bool SectorSize(uint32_t* size) override {
    if (!blockDevice_) {
      *size = imageSectorSize_;
      return imageSectorSize_ != 0;
    }
    int bytes = 0;
    if (::ioctl(fd_, BLKSSZGET, &bytes) != 0 || bytes <= 0) return false;
    *size = static_cast<uint32_t>(bytes);
    return true;
  }

  bool ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) override {
    *got = 0;
    auto* out = static_cast<char*>(buf);
    while (*got < n) {
      ssize_t r = ::pread(fd_, out + *got, n - *got, static_cast<off_t>(offset + *got));
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0) break;
      *got += static_cast<size_t>(r);
    }
    return true;
  }

  bool WriteAt(uint64_t offset, const void* buf, size_t n, size_t* written) override {
    *written = 0;
    const auto* in = static_cast<const char*>(buf);
    while (*written < n) {
      ssize_t w = ::pwrite(fd_, in + *written, n - *written, static_cast<off_t>(offset + *written));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (w == 0) return false;
      *written += static_cast<size_t>(w);
    }
    return true;
  }

  bool Sync() override { return ::fsync(fd_) == 0; }

 private:
  int fd_;
  bool blockDevice_;
  uint32_t imageSectorSize_;
};

bool ReadWholeFile(const char* path, std::string* text) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  text->clear();
  char buf[4096];
  bool ok = true;
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) ok = false;
    if (r <= 0) break;
    text->append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  return ok;
}

// Undoes the octal escapes mountinfo uses for space, tab, newline and '\'.
std::string DecodeMountField(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const char* d = field.c_str() + i + 1;
    if (field[i] == '\\' && i + 3 < field.size() && d[0] >= '0' && d[0] <= '3' && d[1] >= '0' &&
        d[1] <= '7' && d[2] >= '0' && d[2] <= '7') {
      out.push_back(static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0')));
      i += 3;
      continue;
    }
    out.push_back(field[i]);
  }
  return out;
}

}  // namespace

const char* VolumeErrorText(VolumeError error) {
  switch (error) {
    case VolumeError::kOk: return "no error";
    case VolumeError::kNotFound: return "no such device or file";
    case VolumeError::kAccessDenied: return "permission denied";
    case VolumeError::kBusy: return "in use";
    case VolumeError::kNotVolume: return "not a block device or image file";
    case VolumeError::kIo: return "input/output error";
  }
  return "unknown error";
}

std::unique_ptr<Volume> PosixVolumeProvider::Open(const std::string& root, VolumeShare share,
                                                  VolumeError* error) {
  // Look before opening: opening some character devices has effects of its own.
  struct stat st;
  if (::stat(root.c_str(), &st) != 0) {
    SetError(error, FromErrno(errno));
    return nullptr;
  }
  bool blockDevice = S_ISBLK(st.st_mode);
  if (!blockDevice && !S_ISREG(st.st_mode)) {
    SetError(error, VolumeError::kNotVolume);
    return nullptr;
  }
  int flags = O_RDWR | O_CLOEXEC;
  // On a block device O_EXCL fails while a file system is mounted on it.
  if (blockDevice && share == VolumeShare::kExclusive) flags |= O_EXCL;
  int fd = ::open(root.c_str(), flags);
  if (fd < 0) {
    SetError(error, FromErrno(errno));
    return nullptr;
  }
  struct stat opened;
  bool same = ::fstat(fd, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino;
  if (!same) {
    ::close(fd);
    SetError(error, VolumeError::kNotVolume);
    return nullptr;
  }
  if (!blockDevice && share == VolumeShare::kExclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    SetError(error, FromErrno(errno));
    ::close(fd);
    return nullptr;
  }
  SetError(error, VolumeError::kOk);
  return std::make_unique<PosixVolume>(fd, blockDevice, imageSectorSize_);
}

bool PosixVolumeProvider::MountPoints(const std::string& root, std::vector<std::string>* points) {
  points->clear();
  struct stat st;
  if (::stat(root.c_str(), &st) != 0) return false;
  if (!S_ISBLK(st.st_mode)) return true;
  std::string mountInfo;
  if (!ReadWholeFile("/proc/self/mountinfo", &mountInfo)) return false;
  *points = ParseMountPoints(mountInfo, major(st.st_rdev), minor(st.st_rdev));
  return true;
}

bool PosixVolumeProvider::Unmount(const std::string& mountPoint, VolumeError* error) {
  // No lazy detach: the file system must be gone before the sector is written.
  if (::umount2(mountPoint.c_str(), UMOUNT_NOFOLLOW) != 0) {
    SetError(error, FromErrno(errno));
    return false;
  }
  SetError(error, VolumeError::kOk);
  return true;
}

std::vector<std::string> ParseMountPoints(const std::string& mountInfo, uint32_t major,
                                          uint32_t minor) {
  // Each line: id parent major:minor root mount-point options ...
  std::vector<std::string> points;
  std::string wanted = std::to_string(major) + ":" + std::to_string(minor);
  std::istringstream lines(mountInfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, fsRoot, mountPoint;
    if (!(fields >> id >> parent >> device >> fsRoot >> mountPoint)) continue;
    if (device == wanted) points.push_back(DecodeMountField(mountPoint));
  }
  return points;
}

}  // namespace nv
