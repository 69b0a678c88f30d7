#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/volume.h"

namespace nv {
namespace {

TEST(ParseMountPointsTest, FindsEveryMountOfTheDevice) {
  const std::string mountInfo =
      "22 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
      "40 22 8:17 / /media/user/MY\\040STICK rw,nosuid shared:20 - vfat /dev/sdb1 rw\n"
      "41 22 8:1 / /boot rw shared:21 - vfat /dev/sda1 rw\n"
      "42 22 8:17 /sub /mnt/tab\\011and\\134slash rw shared:22 - vfat /dev/sdb1 rw\n"
      "broken line\n"
      "43 22 18:17 / /mnt/other rw shared:23 - vfat /dev/x rw\n";
  EXPECT_EQ(ParseMountPoints(mountInfo, 8, 17),
            (std::vector<std::string>{"/media/user/MY STICK", "/mnt/tab\tand\\slash"}));
  EXPECT_EQ(ParseMountPoints(mountInfo, 8, 1), (std::vector<std::string>{"/boot"}));
  EXPECT_TRUE(ParseMountPoints(mountInfo, 8, 2).empty());
}

class PosixVolumeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/nv-posix-volume-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    image_ = folder_ + "/disk.img";
    std::ofstream(image_, std::ios::binary) << std::string(8192, 'x');
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string folder_;
  std::string image_;
};

TEST_F(PosixVolumeTest, ImageFileHasTheChosenSectorSizeAndIsReadAndWrittenInPlace) {
  for (uint32_t size : {512u, 4096u}) {
    PosixVolumeProvider volumes(size);
    VolumeError error = VolumeError::kIo;
    auto volume = volumes.Open(image_, VolumeShare::kShared, &error);
    ASSERT_TRUE(volume);
    EXPECT_EQ(error, VolumeError::kOk);
    uint32_t sectorSize = 0;
    ASSERT_TRUE(volume->SectorSize(&sectorSize));
    EXPECT_EQ(sectorSize, size);
  }
  auto volume = PosixVolumeProvider().Open(image_, VolumeShare::kShared, nullptr);
  ASSERT_TRUE(volume);
  size_t done = 0;
  ASSERT_TRUE(volume->WriteAt(4, "abc", 3, &done));
  EXPECT_EQ(done, 3u);
  ASSERT_TRUE(volume->Sync());
  char buf[16] = {};
  ASSERT_TRUE(volume->ReadAt(8190, buf, sizeof buf, &done));
  EXPECT_EQ(done, 2u) << "a read past the end is short";
  ASSERT_TRUE(volume->ReadAt(2, buf, 6, &done));
  EXPECT_EQ(std::string(buf, done), "xxabcx");
  std::ifstream in(image_, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content.size(), 8192u) << "writing never changes the length";
}

TEST_F(PosixVolumeTest, OpenFailuresSayWhy) {
  PosixVolumeProvider volumes;
  struct Case {
    std::string root;
    VolumeError expected;
  };
  const Case cases[] = {
      {folder_ + "/missing.img", VolumeError::kNotFound},
      {folder_, VolumeError::kNotVolume},
      {"/dev/null", VolumeError::kNotVolume},
  };
  for (const Case& c : cases) {
    VolumeError error = VolumeError::kOk;
    EXPECT_FALSE(volumes.Open(c.root, VolumeShare::kShared, &error)) << c.root;
    EXPECT_EQ(error, c.expected) << c.root;
  }
}

TEST_F(PosixVolumeTest, ExclusiveOpenOfAnImageRefusesASecondOne) {
  PosixVolumeProvider volumes;
  auto first = volumes.Open(image_, VolumeShare::kExclusive, nullptr);
  ASSERT_TRUE(first);
  VolumeError error = VolumeError::kOk;
  EXPECT_FALSE(volumes.Open(image_, VolumeShare::kExclusive, &error));
  EXPECT_EQ(error, VolumeError::kBusy);
  EXPECT_TRUE(volumes.Open(image_, VolumeShare::kShared, nullptr)) << "shared users are not kept out";
  first.reset();
  EXPECT_TRUE(volumes.Open(image_, VolumeShare::kExclusive, nullptr));
}

TEST_F(PosixVolumeTest, ImageFileIsNeverMounted) {
  std::vector<std::string> points{"stale"};
  EXPECT_TRUE(PosixVolumeProvider().MountPoints(image_, &points));
  EXPECT_TRUE(points.empty());
  EXPECT_FALSE(PosixVolumeProvider().MountPoints(folder_ + "/missing.img", &points));
}

TEST_F(PosixVolumeTest, PermissionRefusalIsReportedAsSuch) {
  if (::geteuid() == 0) GTEST_SKIP() << "root opens any file; needs an ordinary user";
  std::filesystem::permissions(image_, std::filesystem::perms::owner_read);
  VolumeError error = VolumeError::kOk;
  EXPECT_FALSE(PosixVolumeProvider().Open(image_, VolumeShare::kShared, &error));
  EXPECT_EQ(error, VolumeError::kAccessDenied);
}

}  // namespace
}  // namespace nv
