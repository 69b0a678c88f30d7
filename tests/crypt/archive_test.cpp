// The archive file: its exact layout, damaged and hostile archives, and saves
// that fail part way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "core/byte_order.h"
#include "crypt/archive.h"
#include "crypt/monitor_list.h"
#include "platform/fault_env.h"
#include "tests/crypt/crypt_test_util.h"

namespace nv {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::WriteBytes;

struct Item {
  std::string name, path, password;
  double time;
  uint32_t encrypted, isFolder;
};

// The items archive.dfd was written with by make_fixtures.py.
const Item kFixtureItems[] = {
    {"notes.txt", "/home/user/Documents/notes.txt", "secret-one", 45292.5, 1, 0},
    {"R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC", "/home/user/R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC", "sixteen-bytes-pw",
     45000.25, 0, 1},
    {"\xF0\x9F\x93\x81 photos", "/data/\xF0\x9F\x93\x81 photos", "P\xC3\xA4ssw\xC3\xB6rd", 44000.0, 0, 1},
};

class ArchiveTest : public ::testing::Test {
 protected:
  ArchiveTest() : env_(Env::Default()), fixture_(&env_) {}
  CCoreManager& manager() { return fixture_.manager(); }
  const std::string& archive() { return manager().archivePath; }

  void Insert(const Item& item) {
    auto info = std::make_unique<MonitorFileInfo>();
    info->name = item.name;
    info->path = item.path;
    std::memcpy(info->password.data(), item.password.data(), item.password.size());
    info->addedTime = item.time;
    info->encrypted = item.encrypted;
    info->isFolder = item.isFolder;
    info->id = manager().nextMonitorId++;
    manager().monitorItems.value[info->id] = std::move(info);
  }
  std::vector<std::string> Paths() {
    std::vector<std::string> paths;
    for (const auto& [id, info] : manager().monitorItems.value) paths.push_back(info->path);
    return paths;
  }

  FaultEnv env_;
  testing::ManagerFixture fixture_;
};

TEST_F(ArchiveTest, LoadsAnArchiveWrittenFromTheLayoutAlone) {
  WriteBytes(archive(), ReadBytes(testing::FixturePath("archive.dfd")));
  ASSERT_EQ(LoadArchive(manager()), ArchiveLoad::kComplete);
  const auto& items = manager().monitorItems.value;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(manager().nextMonitorId, 3u);
  uint32_t id = 0;
  for (const Item& expected : kFixtureItems) {
    SCOPED_TRACE(expected.name);
    const MonitorFileInfo& info = *items.at(id);
    EXPECT_EQ(info.id, id++);
    EXPECT_EQ(info.name, expected.name);
    EXPECT_EQ(info.path, expected.path);
    EXPECT_EQ(StoredPassword(info), expected.password);
    EXPECT_EQ(info.addedTime, expected.time);
    EXPECT_EQ(info.encrypted, expected.encrypted);
    EXPECT_EQ(info.isFolder, expected.isFolder);
  }
  EXPECT_TRUE(CheckItemPassword(manager(), 1, "sixteen-bytes-pw"));
  EXPECT_TRUE(CheckItemPassword(manager(), 2, "P\xC3\xA4ssw\xC3\xB6rd"));
}

TEST_F(ArchiveTest, WritesTheLayoutByteForByteWithOwnerOnlyPermissions) {
  for (const Item& item : kFixtureItems) Insert(item);
  ASSERT_TRUE(SaveArchive(manager()));
  EXPECT_EQ(ReadBytes(archive()), ReadBytes(testing::FixturePath("archive.dfd")));
  struct stat st {};
  ASSERT_EQ(0, ::stat(archive().c_str(), &st));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(0, ::stat(manager().appDataFolder.c_str(), &st));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_FALSE(Exists(archive() + ".tmp"));

  manager().ClearMonitorItems();
  ASSERT_TRUE(SaveArchive(manager()));
  EXPECT_EQ(ReadBytes(archive()), std::string(4, '\0'));
}

TEST_F(ArchiveTest, WithoutAnArchiveOrWhenItCannotBeOpenedTheListStaysAsItWas) {
  Insert(kFixtureItems[0]);
  EXPECT_EQ(LoadArchive(manager()), ArchiveLoad::kNoArchive);
  WriteBytes(archive(), std::string(4, '\0'));
  env_.FailOpen("FileArchive", FsError::kAccessDenied);
  EXPECT_EQ(LoadArchive(manager()), ArchiveLoad::kUnreadable);
  EXPECT_EQ(Paths(), std::vector<std::string>{kFixtureItems[0].path});
}

std::string Record(const std::string& name, const std::string& path) {
  std::string out;
  auto u32 = [&](uint32_t v) {
    uint8_t b[4];
    PutU32(b, v);
    out.append(reinterpret_cast<char*>(b), 4);
  };
  for (const std::string* text : {&name, &path}) {
    u32(static_cast<uint32_t>(text->size() * 2));
    for (char c : *text) out += std::string{c, '\0'};
  }
  out += std::string(16 + 8, '\0');
  u32(0);
  u32(0);
  return out;
}

std::string Count(uint32_t n) {
  uint8_t b[4];
  PutU32(b, n);
  return std::string(reinterpret_cast<char*>(b), 4);
}

TEST_F(ArchiveTest, DamagedArchivesKeepTheCompleteRecordsBeforeTheDamage) {
  const std::string a = Record("a", "/a"), b = Record("b", "/b");
  std::string longName = Record(std::string(261, 'n'), "/n");
  std::string oddLength = a;
  PutU32(reinterpret_cast<uint8_t*>(oddLength.data()), 1);  // one byte of "a", the next byte is a length
  struct Case {
    const char* what;
    std::string bytes;
    ArchiveLoad result;
    std::vector<std::string> paths;
  };
  const Case cases[] = {
      {"empty file", "", ArchiveLoad::kComplete, {}},
      {"count 0", Count(0) + a, ArchiveLoad::kComplete, {}},
      {"short count", Count(1).substr(0, 3), ArchiveLoad::kIncomplete, {}},
      {"count above the records present", Count(3) + a + b, ArchiveLoad::kIncomplete, {"/a", "/b"}},
      {"count of four billion", Count(0xFFFFFFFF) + a, ArchiveLoad::kIncomplete, {"/a"}},
      {"truncated password", Count(2) + a + b.substr(0, b.size() - 20), ArchiveLoad::kIncomplete, {"/a"}},
      {"string above 520 bytes", Count(3) + a + longName + b, ArchiveLoad::kIncomplete, {"/a"}},
      {"odd string length", Count(2) + oddLength + b, ArchiveLoad::kIncomplete, {}},
      {"bytes after the last record", Count(1) + a + "junk", ArchiveLoad::kComplete, {"/a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Insert(kFixtureItems[0]);
    WriteBytes(archive(), c.bytes);
    EXPECT_EQ(LoadArchive(manager()), c.result);
    EXPECT_EQ(Paths(), c.paths);
    EXPECT_EQ(manager().nextMonitorId, c.paths.size());
  }
}

TEST_F(ArchiveTest, StringsStopAtTheirFirstZeroCodeUnitAndFillAllOf520Bytes) {
  std::string full = Record(std::string(260, 'x'), "/p");
  std::string cut = Record("ab", "/q");
  cut[4 + 2] = '\0';  // "a\0" + "b": the name ends after "a"
  WriteBytes(archive(), Count(2) + full + cut);
  ASSERT_EQ(LoadArchive(manager()), ArchiveLoad::kComplete);
  EXPECT_EQ(manager().monitorItems.value.at(0)->name, std::string(260, 'x'));
  EXPECT_EQ(manager().monitorItems.value.at(1)->name, "a");
}

TEST_F(ArchiveTest, AFailedSaveLeavesTheEarlierArchiveAndNoTemporaryFile) {
  Insert(kFixtureItems[0]);
  ASSERT_TRUE(SaveArchive(manager()));
  const std::string before = ReadBytes(archive());
  Insert(kFixtureItems[1]);
  const std::function<void()> faults[] = {
      [&] { env_.FailOpen(".tmp", FsError::kNoSpace); },
      [&] { env_.FailWritesAfter(".tmp", 10); },
      [&] { env_.FailSync(".tmp"); },
      [&] { env_.FailRename(".tmp"); },
  };
  for (const auto& fault : faults) {
    fault();
    EXPECT_FALSE(SaveArchive(manager()));
    env_.Reset();
    EXPECT_EQ(ReadBytes(archive()), before);
    EXPECT_FALSE(Exists(archive() + ".tmp"));
  }
  // A record the archive cannot hold is never written in part.
  Insert({"long", "/" + std::string(260, 'p'), "secret", 1.0, 0, 0});
  EXPECT_FALSE(SaveArchive(manager()));
  EXPECT_EQ(ReadBytes(archive()), before);
}

TEST_F(ArchiveTest, ALeftoverTemporaryFileDoesNotStopASave) {
  WriteBytes(archive() + ".tmp", "left by a crash");
  ::chmod((archive() + ".tmp").c_str(), 0644);
  Insert(kFixtureItems[2]);
  ASSERT_TRUE(SaveArchive(manager()));
  auto restarted = fixture_.Restart(&env_);
  ASSERT_EQ(LoadArchive(*restarted), ArchiveLoad::kComplete);
  EXPECT_EQ(restarted->monitorItems.value.at(0)->path, kFixtureItems[2].path);
}

}  // namespace
}  // namespace nv
