// Device notices from libudev's monitor, or from /proc/partitions.
#include "platform/device_monitor.h"

#include <fcntl.h>
#include <libudev.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <sstream>

namespace nv {
namespace {

// The control socket udevd creates; its presence means udevd runs.
constexpr const char* kUdevControl = "/run/udev/control";
// /proc/partitions is a few lines per disk; anything larger is not it.
constexpr size_t kMaxPartitionsBytes = 1 << 20;

class UdevMonitor : public DeviceMonitor {
 public:
  UdevMonitor(udev* context, udev_monitor* monitor, DeviceNoticeSource source)
      : context_(context), monitor_(monitor), source_(source) {}
  ~UdevMonitor() override {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
  }

  static std::unique_ptr<DeviceMonitor> Create(DeviceNoticeSource source) {
    udev* context = udev_new();
    if (!context) return nullptr;
    udev_monitor* monitor =
        udev_monitor_new_from_netlink(context, source == DeviceNoticeSource::kUdev ? "udev" : "kernel");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "block", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
      if (monitor) udev_monitor_unref(monitor);
      udev_unref(context);
      return nullptr;
    }
    return std::make_unique<UdevMonitor>(context, monitor, source);
  }

  int Fd() const override { return udev_monitor_get_fd(monitor_); }

  bool ReadChanges(std::vector<DeviceNotice>* notices) override {
    // The socket does not block: receive returns null once it is drained.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      const char* name = udev_device_get_sysname(device);
      const char* mediaChange = udev_device_get_property_value(device, "DISK_MEDIA_CHANGE");
      if (action && name) {
        if (std::strcmp(action, "add") == 0)
          notices->push_back({DeviceChange::kArrival, name});
        else if (std::strcmp(action, "remove") == 0)
          notices->push_back({DeviceChange::kRemoval, name});
        else if (std::strcmp(action, "change") == 0 && mediaChange && std::strcmp(mediaChange, "1") == 0)
          notices->push_back({DeviceChange::kMediaChange, name});
      }
      udev_device_unref(device);
    }
    return true;
  }

  DeviceNoticeSource Source() const override { return source_; }

 private:
  udev* context_;
  udev_monitor* monitor_;
  DeviceNoticeSource source_;
};

bool ReadPartitionNames(const std::string& path, std::set<std::string>* names) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string text;
  char buf[4096];
  bool ok = true;
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0 || text.size() + static_cast<size_t>(r) > kMaxPartitionsBytes) {
      ok = r == 0;
      break;
    }
    text.append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  if (!ok) return false;
  // Lines "major minor #blocks name" after a heading line and a blank one.
  names->clear();
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    unsigned long major = 0, minor = 0, blocks = 0;
    std::string name;
    if (fields >> major >> minor >> blocks >> name) names->insert(name);
  }
  return true;
}

class PartitionsWatch : public DeviceMonitor {
 public:
  PartitionsWatch(int timer, std::string path, std::set<std::string> names)
      : timer_(timer), path_(std::move(path)), names_(std::move(names)) {}
  ~PartitionsWatch() override { ::close(timer_); }

  int Fd() const override { return timer_; }

  bool ReadChanges(std::vector<DeviceNotice>* notices) override {
    uint64_t expirations = 0;
    while (::read(timer_, &expirations, sizeof expirations) < 0 && errno == EINTR) {
    }
    std::set<std::string> now;
    if (!ReadPartitionNames(path_, &now)) return false;
    for (const std::string& name : names_)
      if (!now.count(name)) notices->push_back({DeviceChange::kRemoval, name});
    for (const std::string& name : now)
      if (!names_.count(name)) notices->push_back({DeviceChange::kArrival, name});
    names_ = std::move(now);
    return true;
  }

  DeviceNoticeSource Source() const override { return DeviceNoticeSource::kPartitions; }

 private:
  int timer_;
  std::string path_;
  std::set<std::string> names_;
};

}  // namespace

const char* DeviceChangeText(DeviceChange change) {
  switch (change) {
    case DeviceChange::kArrival: return "arrival";
    case DeviceChange::kRemoval: return "removal";
    case DeviceChange::kMediaChange: return "media change";
  }
  return "change";
}

std::unique_ptr<DeviceMonitor> DeviceMonitor::Create(DeviceNoticeSource source) {
  if (source == DeviceNoticeSource::kPartitions) return WatchPartitions();
  if (source != DeviceNoticeSource::kAuto) return UdevMonitor::Create(source);
  if (::access(kUdevControl, F_OK) == 0) {
    if (auto monitor = UdevMonitor::Create(DeviceNoticeSource::kUdev)) return monitor;
  }
  if (auto monitor = UdevMonitor::Create(DeviceNoticeSource::kKernel)) return monitor;
  return WatchPartitions();
}

std::unique_ptr<DeviceMonitor> DeviceMonitor::WatchPartitions(const std::string& path,
                                                              uint32_t intervalMs) {
  std::set<std::string> names;
  if (intervalMs == 0 || !ReadPartitionNames(path, &names)) return nullptr;
  int timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (timer < 0) return nullptr;
  itimerspec period{};
  period.it_interval.tv_sec = intervalMs / 1000;
  period.it_interval.tv_nsec = static_cast<long>(intervalMs % 1000) * 1000000L;
  period.it_value = period.it_interval;
  if (::timerfd_settime(timer, 0, &period, nullptr) != 0) {
    ::close(timer);
    return nullptr;
  }
  return std::make_unique<PartitionsWatch>(timer, path, std::move(names));
}

}  // namespace nv
