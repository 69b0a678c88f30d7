// Notices of block devices arriving and going, for the locker's list.
//
// A monitor exposes a file descriptor that becomes readable when something
// may have changed, so an event loop (the windowed program's, or poll() in
// the command-line tool) can watch it next to its other sources; ReadChanges
// then says what changed without blocking.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace nv {

enum class DeviceChange {
  kArrival,
  kRemoval,
  kMediaChange,  // media put into or taken out of a drive that stays (a card reader)
};

// "arrival", "removal" or "media change".
const char* DeviceChangeText(DeviceChange change);

struct DeviceNotice {
  DeviceChange change = DeviceChange::kArrival;
  std::string name;  // kernel name of the disk or partition ("sdb1")
};

enum class DeviceNoticeSource {
  kAuto,        // udev where udevd runs, else kernel, else partitions
  kUdev,        // udevd's notices, sent once it has set the device up
  kKernel,      // the kernel's own notices; work without udevd
  kPartitions,  // /proc/partitions compared at intervals
};

class DeviceMonitor {
 public:
  virtual ~DeviceMonitor() = default;

  // kAuto takes udev when /run/udev/control exists, else the kernel's
  // notices, and falls back to watching /proc/partitions when neither can be
  // received. Null when the named source cannot be set up.
  static std::unique_ptr<DeviceMonitor> Create(DeviceNoticeSource source = DeviceNoticeSource::kAuto);
  // Compares the partitions table at path with its previous content every
  // intervalMs milliseconds.
  static std::unique_ptr<DeviceMonitor> WatchPartitions(const std::string& path = "/proc/partitions",
                                                        uint32_t intervalMs = 1000);

  // Readable when ReadChanges may have notices; owned by the monitor.
  virtual int Fd() const = 0;
  // Appends the notices received since the last call; never blocks. False
  // when the source failed (the monitor stays usable).
  virtual bool ReadChanges(std::vector<DeviceNotice>* notices) = 0;
  virtual DeviceNoticeSource Source() const = 0;
};

}  // namespace nv
