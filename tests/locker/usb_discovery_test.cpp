#include "platform/usb_discovery.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace nv {
namespace {

namespace fs = std::filesystem;

struct FakeDisk {
  std::string name;
  std::string parent;  // device folder under devices/, "virtual" for virtual disks
  std::string removable = "0";
  std::string size = "15633408";
  std::string scsiType;  // "" for disks that are no SCSI device
  std::vector<std::string> partitions;
};

// A sysfs tree as the kernel lays it out: disks in the device tree under
// their controller, links to them in block/, partitions as subfolders with a
// "partition" attribute.
class FakeSysfs {
 public:
  FakeSysfs() {
    char pattern[] = "/tmp/nv-sysfs-XXXXXX";
    root_ = ::mkdtemp(pattern);
    fs::create_directories(root_ + "/block");
  }
  ~FakeSysfs() { fs::remove_all(root_); }

  const std::string& root() const { return root_; }

  void Add(const FakeDisk& disk) {
    std::string parent = "devices/" + disk.parent;
    std::string dir = parent + "/block/" + disk.name;
    Write(dir + "/removable", disk.removable);
    Write(dir + "/size", disk.size);
    int minor = 16 * disks_++;
    Write(dir + "/dev", "8:" + std::to_string(minor));
    fs::create_directories(root_ + "/" + dir + "/queue");
    fs::create_directories(root_ + "/" + dir + "/power");
    if (!disk.scsiType.empty()) {
      Write(parent + "/type", disk.scsiType);
      fs::create_directory_symlink("../..", root_ + "/" + dir + "/device");
    }
    int number = 1;
    for (const std::string& partition : disk.partitions) {
      Write(dir + "/" + partition + "/partition", std::to_string(number++));
      Write(dir + "/" + partition + "/dev", "8:" + std::to_string(minor + number - 1));
    }
    fs::create_directory_symlink("../" + dir, root_ + "/block/" + disk.name);
  }

 private:
  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories(fs::path(root_ + "/" + relative).parent_path());
    std::ofstream(root_ + "/" + relative) << text << "\n";
  }

  std::string root_;
  int disks_ = 0;  // disk i is device 8:16i, its partitions 8:16i+1 on
};

const char* const kUsbPort = "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0";
const char* const kUsbPort2 = "pci0000:00/0000:00:14.0/usb3/3-2/3-2:1.0/host7/target7:0:0/7:0:0:0";
const char* const kUsbPort3 = "pci0000:00/0000:00:14.0/usb1/1-4/1-4:1.0/host8/target8:0:0/8:0:0:0";
const char* const kUsbPort4 = "pci0000:00/0000:00:14.0/usb3/3-3/3-3:1.0/host9/target9:0:0/9:0:0:0";
const char* const kSataPort = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
const char* const kSataPort2 = "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0";
const char* const kNvmePort = "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0";

class UsbDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sysfs_.Add({"sda", kSataPort, "0", "500118192", "0", {"sda1", "sda2"}});
    sysfs_.Add({"nvme0n1", kNvmePort, "0", "1000215216", "", {"nvme0n1p1"}});
    sysfs_.Add({"sdb", kUsbPort, "1", "30031872", "0", {"sdb1", "sdb10", "sdb2"}});
    sysfs_.Add({"sdc", kUsbPort2, "0", "1953525168", "0", {"sdc1"}});
    sysfs_.Add({"sdd", kUsbPort3, "1", "7831552", "0", {}});
    sysfs_.Add({"sde", kUsbPort3, "1", "0", "0", {}});
    sysfs_.Add({"sr0", kSataPort2, "1", "2097151", "5", {}});
    sysfs_.Add({"sr1", kUsbPort4, "1", "2097151", "5", {}});
    sysfs_.Add({"loop0", "virtual", "0", "16384", "", {"loop0p1"}});
    sysfs_.Add({"zram0", "virtual", "1", "8388608", "", {}});
    source_.sysRoot = sysfs_.root();
    source_.readLabel = [this](const std::string& devNode, uint32_t major, uint32_t minor) {
      asked_.push_back(devNode + "=" + std::to_string(major) + ":" + std::to_string(minor));
      auto it = labels_.find(devNode);
      return it == labels_.end() ? std::string() : it->second;
    };
  }

  FakeSysfs sysfs_;
  UsbDiscoverySource source_;
  std::map<std::string, std::string> labels_ = {
      {"/dev/sdb1", "STICK"}, {"/dev/sdc1", "BACKUP DISK"}, {"/dev/sda1", "SYSTEM"}};
  std::vector<std::string> asked_;
};

TEST_F(UsbDiscoveryTest, TellsUsbDisksFromTheRest) {
  struct Case {
    const char* disk;
    bool usb;
  };
  const Case cases[] = {
      {"sdb", true},       // removable stick
      {"sdc", true},       // fixed disk on a USB bus
      {"sdd", true},       // partitionless stick
      {"sda", false},      // internal SATA disk
      {"nvme0n1", false},  // internal NVMe disk
      {"sr0", false},      // optical drive, removable
      {"sr1", false},      // optical drive on a USB bus
      {"loop0", false},    // loop device
      {"zram0", false},    // virtual disk that calls itself removable
      {"sdz", false},      // not present
      {"", false},
      {"../block/sdb", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsUsbDrive(source_, c.disk), c.usb) << c.disk;
}

TEST_F(UsbDiscoveryTest, ListsPartitionsOfUsbDisksAndBarePartitionlessSticks) {
  std::vector<std::string> roots{"stale"}, labels{"stale"};
  ListUsbVolumes(&roots, &labels, source_);
  EXPECT_EQ(roots, (std::vector<std::string>{"/dev/sdb1", "/dev/sdb2", "/dev/sdb10", "/dev/sdc1", "/dev/sdd"}));
  EXPECT_EQ(labels, (std::vector<std::string>{"STICK", "", "", "BACKUP DISK", ""}));
  // Labels are looked up by node and device number, for the listed volumes only.
  EXPECT_EQ(asked_.size(), 5u);
  EXPECT_NE(std::find(asked_.begin(), asked_.end(), "/dev/sdd=8:64"), asked_.end());
}

TEST_F(UsbDiscoveryTest, DeviceFolderIsTheOneGiven) {
  source_.devRoot = "/run/devs";
  std::vector<std::string> roots, labels;
  ListUsbVolumes(&roots, &labels, source_);
  ASSERT_FALSE(roots.empty());
  EXPECT_EQ(roots.front(), "/run/devs/sdb1");
}

TEST(UsbDiscoveryEmptyTest, NoDisksGiveEmptyLists) {
  FakeSysfs sysfs;
  UsbDiscoverySource source;
  source.sysRoot = sysfs.root();
  std::vector<std::string> roots{"stale"}, labels{"stale"};
  ListUsbVolumes(&roots, &labels, source);
  EXPECT_TRUE(roots.empty());
  EXPECT_TRUE(labels.empty());
  source.sysRoot = sysfs.root() + "/missing";
  ListUsbVolumes(&roots, &labels, source);
  EXPECT_TRUE(roots.empty());
}

TEST(VolumeDisplayTextTest, KernelNameColonSpaceLabel) {
  EXPECT_EQ(VolumeDisplayText("/dev/sdb1", "STICK"), "sdb1: STICK");
  EXPECT_EQ(VolumeDisplayText("/dev/sdd", ""), "sdd: ");
}

TEST(KernelNameLessTest, NumbersCompareByValue) {
  std::vector<std::string> names = {"sdb10", "sdaa", "sdb2", "sdb", "mmcblk0p1", "sdb1", "sda"};
  std::sort(names.begin(), names.end(), KernelNameLess);
  EXPECT_EQ(names, (std::vector<std::string>{"mmcblk0p1", "sda", "sdaa", "sdb", "sdb1", "sdb2", "sdb10"}));
}

TEST(DecodeUdevTextTest, UndoesHexEscapes) {
  EXPECT_EQ(DecodeUdevText("MY\\x20STICK"), "MY STICK");
  EXPECT_EQ(DecodeUdevText("a\\x2fb\\x5c"), "a/b\\");
  EXPECT_EQ(DecodeUdevText("bad\\xZZ\\x2"), "bad\\xZZ\\x2");
}

// libblkid probing, the label source where udev keeps no database.
TEST(ProbeVolumeLabelTest, ReadsTheLabelOfAFatImage) {
  if (std::system("command -v mkfs.vfat >/dev/null 2>&1") != 0) GTEST_SKIP() << "mkfs.vfat (dosfstools) missing";
  char pattern[] = "/tmp/nv-label-XXXXXX";
  std::string folder = ::mkdtemp(pattern);
  std::string image = folder + "/fat.img";
  std::string command = "mkfs.vfat -C -n 'MY STICK' " + image + " 2048 >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ProbeVolumeLabel(image), "MY STICK");
  EXPECT_EQ(ReadVolumeLabel(image, 0, 0), "MY STICK");
  // A locked volume: its boot sector no longer makes sense.
  std::fstream(image, std::ios::in | std::ios::out | std::ios::binary) << std::string(512, '\x5a');
  EXPECT_EQ(ProbeVolumeLabel(image), "");
  EXPECT_EQ(ProbeVolumeLabel(folder + "/missing.img"), "");
  fs::remove_all(folder);
}

}  // namespace
}  // namespace nv
