// Raw access to a volume: a block device (a USB stick's partition, a loop
// device) or an image file holding a volume, read and written at byte
// offsets, bypassing any file system on it.
//
// The locker reaches volumes only through a VolumeProvider, so tests can hand
// in one that injects faults and records every write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

enum class VolumeError {
  kOk,
  kNotFound,
  kAccessDenied,  // no permission (not root, not in the disk group)
  kBusy,          // held exclusively by someone else, or still mounted
  kNotVolume,     // neither a block device nor a regular file
  kIo,
};

// Text of a VolumeError, for messages.
const char* VolumeErrorText(VolumeError error);

// An open volume. Not thread-safe. Closed by its destructor.
class Volume {
 public:
  virtual ~Volume() = default;
  // The logical sector size: the unit in which the device reads and writes.
  virtual bool SectorSize(uint32_t* size) = 0;
  // Reads up to n bytes at offset; *got < n means the volume ended or the
  // device returned less.
  virtual bool ReadAt(uint64_t offset, void* buf, size_t n, size_t* got) = 0;
  // Writes n bytes at offset; *written < n means a short write.
  virtual bool WriteAt(uint64_t offset, const void* buf, size_t n, size_t* written) = 0;
  // Forces written data to the medium.
  virtual bool Sync() = 0;
};

enum class VolumeShare {
  kShared,     // others, including a mounted file system, keep using it
  kExclusive,  // fails with kBusy while it is mounted or held exclusively
};

// Opens volumes by their root (a device node or an image file path) and deals
// with their mounts.
class VolumeProvider {
 public:
  virtual ~VolumeProvider() = default;

  // Opens the volume for reading and writing; null on failure with *error set.
  virtual std::unique_ptr<Volume> Open(const std::string& root, VolumeShare share,
                                       VolumeError* error) = 0;
  // The folders the volume is mounted on (none for an image file). False when
  // the system's mount table cannot be read.
  virtual bool MountPoints(const std::string& root, std::vector<std::string>* points) = 0;
  // Unmounts the file system mounted on the folder; fails while it is in use.
  virtual bool Unmount(const std::string& mountPoint, VolumeError* error) = 0;
};

// Block devices and image files of this machine. A block device reports its
// own logical sector size; an image file, having none, uses imageSectorSize.
class PosixVolumeProvider : public VolumeProvider {
 public:
  static constexpr uint32_t kDefaultImageSectorSize = 512;

  explicit PosixVolumeProvider(uint32_t imageSectorSize = kDefaultImageSectorSize)
      : imageSectorSize_(imageSectorSize) {}

  std::unique_ptr<Volume> Open(const std::string& root, VolumeShare share,
                               VolumeError* error) override;
  bool MountPoints(const std::string& root, std::vector<std::string>* points) override;
  bool Unmount(const std::string& mountPoint, VolumeError* error) override;

 private:
  uint32_t imageSectorSize_;
};

// The mount points of the device major:minor listed in the text of a
// /proc/self/mountinfo, with the table's octal escapes ("\040") decoded.
std::vector<std::string> ParseMountPoints(const std::string& mountInfo, uint32_t major,
                                          uint32_t minor);

}  // namespace nv
