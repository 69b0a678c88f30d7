#include "platform/device_monitor.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace nv {
namespace {

namespace fs = std::filesystem;

std::string Describe(const DeviceNotice& notice) {
  return std::string(DeviceChangeText(notice.change)) + " " + notice.name;
}

// Waits until notices about devices whose names start with prefix come, or
// timeoutMs pass.
std::vector<std::string> WaitForNotices(DeviceMonitor& monitor, const std::string& prefix, int timeoutMs,
                                        bool exact = false) {
  std::vector<std::string> seen;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd watched{monitor.Fd(), POLLIN, 0};
    if (::poll(&watched, 1, 100) <= 0) continue;
    std::vector<DeviceNotice> notices;
    EXPECT_TRUE(monitor.ReadChanges(&notices));
    for (const DeviceNotice& notice : notices)
      if (exact ? notice.name == prefix : notice.name.rfind(prefix, 0) == 0) seen.push_back(Describe(notice));
    if (!seen.empty()) break;
  }
  return seen;
}

void WritePartitions(const std::string& path, const std::vector<std::string>& names) {
  std::ofstream out(path);
  out << "major minor  #blocks  name\n\n";
  int minor = 0;
  for (const std::string& name : names) out << "   8       " << minor++ << "   1024 " << name << "\n";
}

TEST(PartitionsWatchTest, ReportsWhatAppearedAndWhatWent) {
  char pattern[] = "/tmp/nv-partitions-XXXXXX";
  std::string folder = ::mkdtemp(pattern);
  std::string table = folder + "/partitions";
  WritePartitions(table, {"vda", "sda", "sda1"});
  auto monitor = DeviceMonitor::WatchPartitions(table, 20);
  ASSERT_TRUE(monitor);
  EXPECT_EQ(monitor->Source(), DeviceNoticeSource::kPartitions);

  WritePartitions(table, {"vda", "sdb", "sdb1"});
  std::vector<std::string> seen = WaitForNotices(*monitor, "sd", 2000);
  EXPECT_EQ(seen, (std::vector<std::string>{"removal sda", "removal sda1", "arrival sdb", "arrival sdb1"}));

  // Nothing changed: the next tick says nothing.
  EXPECT_TRUE(WaitForNotices(*monitor, "", 200).empty());

  fs::remove(table);
  pollfd watched{monitor->Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&watched, 1, 2000), 1);
  std::vector<DeviceNotice> notices;
  EXPECT_FALSE(monitor->ReadChanges(&notices)) << "an unreadable table is a failure, not a removal";
  EXPECT_TRUE(notices.empty());
  fs::remove_all(folder);
}

TEST(PartitionsWatchTest, MissingTableGivesNoMonitor) {
  EXPECT_FALSE(DeviceMonitor::WatchPartitions("/nonexistent/partitions", 20));
  EXPECT_FALSE(DeviceMonitor::WatchPartitions("/proc/partitions", 0));
}

// A loop device not bound to a file: writing to its uevent file makes the
// kernel announce it again without touching anything in use.
std::string FreeLoopDevice() {
  std::string found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/sys/block", ec)) {
    std::string name = entry.path().filename();
    if (name.rfind("loop", 0) == 0 && !fs::exists(entry.path() / "loop" / "backing_file") &&
        ::access((entry.path() / "uevent").c_str(), W_OK) == 0)
      found = std::max(found, name);
  }
  return found;
}

bool Announce(const std::string& device, const char* action) {
  std::ofstream uevent("/sys/block/" + device + "/uevent");
  uevent << action;
  uevent.flush();
  return static_cast<bool>(uevent);
}

TEST(DeviceMonitorTest, ReportsArrivalAndRemovalOfABlockDevice) {
  std::string device = FreeLoopDevice();
  if (device.empty()) GTEST_SKIP() << "no free loop device with a writable uevent file (needs root)";
  auto monitor = DeviceMonitor::Create();
  ASSERT_TRUE(monitor);
  if (monitor->Source() == DeviceNoticeSource::kPartitions)
    GTEST_SKIP() << "neither udev nor kernel notices can be received here";
  // Removal first, so that where udevd runs the device node is made again.
  ASSERT_TRUE(Announce(device, "remove"));
  EXPECT_EQ(WaitForNotices(*monitor, device, 5000, true), (std::vector<std::string>{"removal " + device}));
  ASSERT_TRUE(Announce(device, "add"));
  EXPECT_EQ(WaitForNotices(*monitor, device, 5000, true), (std::vector<std::string>{"arrival " + device}));
}

}  // namespace
}  // namespace nv
