#include "locker/volume_lock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "crypt/cipher.h"
#include "tests/locker/fault_volume.h"

namespace nv {
namespace {

using test::FaultVolumeProvider;
using test::WriteRecord;

constexpr const char* kPassword = "secret12";

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

// Four sectors of noise whose first is a FAT32 boot sector: its file-system
// name at offset 82 and the signature in its last two bytes.
std::vector<uint8_t> VolumeImage(uint32_t sectorSize, uint32_t seed = 1) {
  std::vector<uint8_t> image = RandomBytes(4 * sectorSize, seed);
  std::memcpy(image.data() + 82, "FAT32   ", 8);
  image[sectorSize - 2] = 0x55;
  image[sectorSize - 1] = 0xAA;
  return image;
}

std::vector<uint8_t> Sector0(const std::vector<uint8_t>& image, uint32_t sectorSize) {
  return {image.begin(), image.begin() + sectorSize};
}

std::vector<uint8_t> AfterSector0(const std::vector<uint8_t>& image, uint32_t sectorSize) {
  return {image.begin() + sectorSize, image.end()};
}

std::vector<uint8_t> Encipher(const std::vector<uint8_t>& sector, const std::string& password) {
  std::vector<uint8_t> out(sector.size());
  EncryptBuffer(static_cast<uint32_t>(password.size()), reinterpret_cast<const uint8_t*>(password.data()),
                sector.data(), sector.size(), out.data());
  return out;
}

bool OnlySector0Written(const std::vector<WriteRecord>& writes, uint32_t sectorSize) {
  for (const WriteRecord& write : writes)
    if (write.offset != 0 || write.length != sectorSize) return false;
  return true;
}

TEST(IsBootSectorTest, RecognisesSignatureAndFileSystemNames) {
  struct Case {
    const char* name;
    size_t size;
    size_t at;  // where text goes
    const char* text;
    bool expected;
  };
  const Case cases[] = {
      {"zeros", 16, 0, "", false},
      {"signature", 16, 14, "\x55\xAA", true},
      {"signature reversed", 16, 14, "\xAA\x55", false},
      {"signature alone fits size 2", 2, 0, "\x55\xAA", true},
      {"FAT at start", 16, 0, "FAT", true},
      {"FAT at last scanned offset", 16, 11, "FAT", true},
      {"FAT past last scanned offset", 16, 12, "FAT", false},
      {"NTFS at last scanned offset", 16, 11, "NTFS", true},
      {"lower case fat", 16, 3, "fat", false},
      {"NTF without S", 16, 3, "NTF", false},
      {"sector of 4 is never scanned", 4, 0, "FAT", false},
      {"sector of 5 scans offset 0", 5, 0, "FAT", true},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> sector(c.size, 0);
    std::memcpy(sector.data() + c.at, c.text, std::strlen(c.text));
    EXPECT_EQ(IsBootSector(sector.data(), sector.size()), c.expected) << c.name;
  }
}

class LockTest : public ::testing::TestWithParam<uint32_t> {
 protected:
  uint32_t sectorSize() const { return GetParam(); }
};

TEST_P(LockTest, LockEnciphersOnlySector0AndUnlockRestoresIt) {
  std::vector<uint8_t> original = VolumeImage(sectorSize());
  FaultVolumeProvider volumes(sectorSize(), original);
  EXPECT_FALSE(IsVolumeLocked(volumes, volumes.root()));

  ASSERT_TRUE(LockVolume(volumes, volumes.root(), kPassword));
  // The sector is rewritten while nobody else may hold the volume.
  EXPECT_EQ(volumes.opens.back(), VolumeShare::kExclusive);
  std::vector<uint8_t> locked = volumes.Contents();
  EXPECT_EQ(Sector0(locked, sectorSize()), Encipher(Sector0(original, sectorSize()), kPassword));
  EXPECT_EQ(AfterSector0(locked, sectorSize()), AfterSector0(original, sectorSize()));
  EXPECT_TRUE(IsVolumeLocked(volumes, volumes.root()));

  ASSERT_TRUE(UnlockVolume(volumes, volumes.root(), kPassword));
  EXPECT_EQ(volumes.Contents(), original);
  EXPECT_FALSE(IsVolumeLocked(volumes, volumes.root()));
  EXPECT_EQ(volumes.writes.size(), 2u);
  EXPECT_TRUE(OnlySector0Written(volumes.writes, sectorSize()));
}

TEST_P(LockTest, RefusalsWriteNothing) {
  FaultVolumeProvider volumes(sectorSize(), VolumeImage(sectorSize()));
  EXPECT_FALSE(UnlockVolume(volumes, volumes.root(), kPassword)) << "not locked yet";
  ASSERT_TRUE(LockVolume(volumes, volumes.root(), kPassword));
  std::vector<uint8_t> locked = volumes.Contents();
  volumes.writes.clear();

  EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword)) << "already locked, same password";
  EXPECT_FALSE(LockVolume(volumes, volumes.root(), "another1")) << "already locked";
  EXPECT_FALSE(UnlockVolume(volumes, volumes.root(), "wrong-pw")) << "wrong password";
  EXPECT_TRUE(volumes.writes.empty());
  EXPECT_EQ(volumes.Contents(), locked);
  EXPECT_TRUE(IsVolumeLocked(volumes, volumes.root()));
}

INSTANTIATE_TEST_SUITE_P(SectorSizes, LockTest, ::testing::Values(512u, 4096u));

TEST(LockVolumeTest, PasswordKeyIsItsUtf8BytesUpTo16) {
  const uint32_t size = 512;
  std::vector<uint8_t> original = VolumeImage(size);
  const std::string sixteen = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9" "abcdefgh";  // 12 characters, 16 bytes
  const std::string seventeen = sixteen + "x";

  FaultVolumeProvider volumes(size, original);
  EXPECT_FALSE(LockVolume(volumes, volumes.root(), seventeen));
  EXPECT_TRUE(volumes.writes.empty());
  ASSERT_TRUE(LockVolume(volumes, volumes.root(), sixteen));
  EXPECT_EQ(Sector0(volumes.Contents(), size), Encipher(Sector0(original, size), sixteen));
  EXPECT_FALSE(UnlockVolume(volumes, volumes.root(), seventeen));
  EXPECT_EQ(volumes.writes.size(), 1u);
  EXPECT_TRUE(UnlockVolume(volumes, volumes.root(), sixteen));
  EXPECT_EQ(volumes.Contents(), original);
}

// Whatever fails before the write leaves the volume untouched; a write or
// flush that fails is undone by writing the old sector back.
TEST(LockVolumeTest, FaultsFailTheOperationAndLeaveSector0AsItWas) {
  struct Case {
    const char* name;
    void (*inject)(test::VolumeFaults*);
    bool writesExpected;
  };
  const Case cases[] = {
      {"open refused", [](test::VolumeFaults* f) { f->openError = VolumeError::kAccessDenied; }, false},
      {"sector size unknown", [](test::VolumeFaults* f) { f->sectorSizeFails = true; }, false},
      {"short read", [](test::VolumeFaults* f) { f->readShortBy = 1; }, false},
      {"mount table unreadable", [](test::VolumeFaults* f) { f->mountTableFails = true; }, false},
      {"write fails half way", [](test::VolumeFaults* f) { f->failingWrites = 1; }, true},
      {"short write", [](test::VolumeFaults* f) { f->shortWrites = 1; }, true},
      {"flush fails", [](test::VolumeFaults* f) { f->syncFails = true; }, true},
  };
  const uint32_t size = 512;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> original = VolumeImage(size);
    FaultVolumeProvider volumes(size, original);
    c.inject(&volumes.faults);
    EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword));
    EXPECT_EQ(volumes.Contents(), original);
    EXPECT_EQ(!volumes.writes.empty(), c.writesExpected);
    EXPECT_TRUE(OnlySector0Written(volumes.writes, size));
  }
}

TEST(UnlockVolumeTest, FaultsFailTheOperationAndLeaveTheVolumeLocked) {
  struct Case {
    const char* name;
    void (*inject)(test::VolumeFaults*);
  };
  const Case cases[] = {
      {"open refused", [](test::VolumeFaults* f) { f->openError = VolumeError::kNotFound; }},
      {"short read", [](test::VolumeFaults* f) { f->readShortBy = 512; }},
      {"write fails half way", [](test::VolumeFaults* f) { f->failingWrites = 1; }},
      {"short write", [](test::VolumeFaults* f) { f->shortWrites = 1; }},
      {"flush fails", [](test::VolumeFaults* f) { f->syncFails = true; }},
  };
  const uint32_t size = 512;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FaultVolumeProvider volumes(size, VolumeImage(size));
    ASSERT_TRUE(LockVolume(volumes, volumes.root(), kPassword));
    std::vector<uint8_t> locked = volumes.Contents();
    c.inject(&volumes.faults);
    EXPECT_FALSE(UnlockVolume(volumes, volumes.root(), kPassword));
    EXPECT_EQ(volumes.Contents(), locked);
    EXPECT_TRUE(OnlySector0Written(volumes.writes, size));
  }
}

TEST(LockVolumeTest, WriteThatCannotBeUndoneStillFails) {
  const uint32_t size = 512;
  std::vector<uint8_t> original = VolumeImage(size);
  FaultVolumeProvider volumes(size, original);
  volumes.faults.failingWrites = 2;
  EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword));
  EXPECT_EQ(volumes.writes.size(), 2u);
  EXPECT_TRUE(OnlySector0Written(volumes.writes, size));
  EXPECT_EQ(AfterSector0(volumes.Contents(), size), AfterSector0(original, size));
}

TEST(LockVolumeTest, OutOfRangeSectorSizesAreRefused) {
  for (uint32_t size : {256u, 131072u}) {
    std::vector<uint8_t> original = VolumeImage(size);
    FaultVolumeProvider volumes(size, original);
    EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword)) << size;
    EXPECT_FALSE(IsVolumeLocked(volumes, volumes.root())) << size;
    EXPECT_TRUE(volumes.writes.empty()) << size;
  }
}

TEST(LockVolumeTest, MountedVolumeIsUnmountedBeforeTheWrite) {
  const uint32_t size = 512;
  FaultVolumeProvider volumes(size, VolumeImage(size));
  volumes.faults.mounts = {"/media/stick", "/mnt/bound"};
  MountNote note;
  ASSERT_TRUE(LockVolume(volumes, volumes.root(), kPassword, &note));
  // Most recent mount first: it may sit on top of the earlier one.
  EXPECT_EQ(volumes.unmounted, (std::vector<std::string>{"/mnt/bound", "/media/stick"}));
  EXPECT_EQ(note.unmounted, volumes.unmounted);
  EXPECT_TRUE(note.stillMounted.empty());
  EXPECT_TRUE(IsVolumeLocked(volumes, volumes.root()));
}

TEST(LockVolumeTest, VolumeThatStaysMountedIsNotWritten) {
  const uint32_t size = 512;
  std::vector<uint8_t> original = VolumeImage(size);
  FaultVolumeProvider volumes(size, original);
  volumes.faults.mounts = {"/media/stick"};
  volumes.faults.stuckMount = "/media/stick";
  MountNote note;
  EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword, &note));
  EXPECT_EQ(note.stillMounted, "/media/stick");
  EXPECT_TRUE(volumes.writes.empty());
  EXPECT_EQ(volumes.Contents(), original);
}

TEST(LockVolumeTest, LockedVolumeIsNotUnmountedForALockThatMustFail) {
  const uint32_t size = 512;
  FaultVolumeProvider volumes(size, VolumeImage(size));
  ASSERT_TRUE(LockVolume(volumes, volumes.root(), kPassword));
  volumes.faults.mounts = {"/media/stick"};
  EXPECT_FALSE(LockVolume(volumes, volumes.root(), kPassword));
  EXPECT_TRUE(volumes.unmounted.empty());
}

// A locked sector may end in 0x55 or 0xAA by chance; it is still locked, and
// it must still be offered for unlocking.
TEST(IsVolumeLockedTest, LockedSectorEndingLikeASignatureCountsAsLocked) {
  const uint32_t size = 512;
  std::vector<uint8_t> original = VolumeImage(size);
  std::string password;
  for (int i = 0; i < 100000 && password.empty(); ++i) {
    std::string candidate = "pw" + std::to_string(i) + "xyz";
    std::vector<uint8_t> locked = Encipher(Sector0(original, size), candidate);
    if (locked[size - 1] == 0xAA && locked[size - 2] != 0x55 && !IsBootSector(locked.data(), size))
      password = candidate;
  }
  ASSERT_FALSE(password.empty());
  FaultVolumeProvider volumes(size, original);
  ASSERT_TRUE(LockVolume(volumes, volumes.root(), password));
  EXPECT_TRUE(IsVolumeLocked(volumes, volumes.root()));
  EXPECT_TRUE(UnlockVolume(volumes, volumes.root(), password));
  EXPECT_EQ(volumes.Contents(), original);
}

}  // namespace
}  // namespace nv
