// The monitored list's operations on the core manager.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "crypt/archive.h"
#include "crypt/monitor_list.h"
#include "platform/clock.h"
#include "tests/crypt/crypt_test_util.h"

namespace nv {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::WriteBytes;

class MonitorListTest : public ::testing::Test {
 protected:
  MonitorListTest() : fixture_(Env::Default()) {}
  CCoreManager& manager() { return fixture_.manager(); }
  std::string Path(const std::string& name) { return fixture_.Path(name); }
  const MonitorFileInfo& Item(uint32_t id) { return *manager().monitorItems.value.at(id); }
  uint32_t Add(const std::string& path, const std::string& password = "secret-pw") {
    std::optional<uint32_t> id = AddMonitorItem(manager(), path, password);
    EXPECT_TRUE(id.has_value());
    return id.value_or(0);
  }

  testing::ManagerFixture fixture_;
};

TEST_F(MonitorListTest, AddFillsTheRecordAndSavesTheArchive) {
  WriteBytes(Path("docs/a.txt"), "a");
  double before = NowOleDate();
  uint32_t file = Add(Path("docs/a.txt"), "sixteen-chars-pw");
  uint32_t folder = Add(Path("docs"));
  EXPECT_EQ(file, 0u);
  EXPECT_EQ(folder, 1u);
  EXPECT_EQ(Item(file).name, "a.txt");
  EXPECT_EQ(Item(file).path, Path("docs/a.txt"));
  EXPECT_EQ(Item(file).isFolder, 0u);
  EXPECT_EQ(Item(folder).isFolder, 1u);
  EXPECT_EQ(StoredPassword(Item(file)), "sixteen-chars-pw");
  EXPECT_GE(Item(file).addedTime, before);
  EXPECT_LE(Item(file).addedTime, NowOleDate());

  auto restarted = fixture_.Restart(Env::Default());
  ASSERT_EQ(LoadArchive(*restarted), ArchiveLoad::kComplete);
  EXPECT_EQ(GetMonitorItemPath(*restarted, 1), Path("docs"));
  EXPECT_TRUE(CheckItemPassword(*restarted, 0, "sixteen-chars-pw"));
}

TEST_F(MonitorListTest, AddRefusesWhatCannotBeStoredInFull) {
  Add(Path("kept"));
  const std::string archive = ReadBytes(manager().archivePath);
  struct Case {
    std::string path, password;
    AddRefusal why;
  };
  const Case cases[] = {
      // Nine characters, eighteen bytes in UTF-8.
      {Path("x"), "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", AddRefusal::kPasswordTooLong},
      {Path("x"), "seventeen-bytes-x", AddRefusal::kPasswordTooLong},
      {"/" + std::string(260, 'p'), "secret-pw", AddRefusal::kPathTooLong},
  };
  for (const Case& c : cases) {
    AddRefusal why = AddRefusal::kNone;
    EXPECT_FALSE(AddMonitorItem(manager(), c.path, c.password, &why).has_value());
    EXPECT_EQ(why, c.why);
  }
  EXPECT_EQ(manager().monitorItems.value.size(), 1u);
  EXPECT_EQ(ReadBytes(manager().archivePath), archive);
  // 260 code units still fit.
  EXPECT_TRUE(AddMonitorItem(manager(), "/" + std::string(259, 'p'), "secret-pw").has_value());
}

TEST_F(MonitorListTest, RemoveSavesAndIdsAreNeverReused) {
  uint32_t first = Add(Path("one"));
  uint32_t second = Add(Path("two"));
  EXPECT_FALSE(RemoveMonitorItem(manager(), 7));
  EXPECT_TRUE(RemoveMonitorItem(manager(), second));
  EXPECT_EQ(GetMonitorItemPath(manager(), second), "");
  EXPECT_EQ(Add(Path("three")), 2u);

  auto restarted = fixture_.Restart(Env::Default());
  ASSERT_EQ(LoadArchive(*restarted), ArchiveLoad::kComplete);
  EXPECT_EQ(GetMonitorItemPath(*restarted, first), Path("one"));
  EXPECT_EQ(GetMonitorItemPath(*restarted, 1), Path("three")) << "loading numbers items from 0";
}

TEST_F(MonitorListTest, CheckItemPasswordComparesTheWholeStoredForm) {
  uint32_t id = Add(Path("f"), "0123456789abcdef");
  struct Case {
    std::string typed;
    bool accepted;
  };
  const Case cases[] = {
      {"0123456789abcdef", true},   {"0123456789abcde", false},  {"0123456789abcdefg", false},
      {"0123456789ABCDEF", false},  {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckItemPassword(manager(), id, c.typed), c.accepted) << c.typed;
  EXPECT_FALSE(CheckItemPassword(manager(), id + 1, "0123456789abcdef"));
  uint32_t umlauts = Add(Path("g"), "P\xC3\xA4ssw\xC3\xB6rd");
  EXPECT_TRUE(CheckItemPassword(manager(), umlauts, "P\xC3\xA4ssw\xC3\xB6rd"));
  EXPECT_FALSE(CheckItemPassword(manager(), umlauts, "Passwrd"));
}

TEST_F(MonitorListTest, EncryptedStateFollowsTheDfcFileOfFileItems) {
  WriteBytes(Path("f.txt"), "plain");
  WriteBytes(Path("dir/sub/deep.txt.dfc"), "x");
  uint32_t file = Add(Path("f.txt"));
  uint32_t folder = Add(Path("dir"));
  uint32_t empty = Add(Path("nothing"));
  RefreshEncryptedStates(manager());
  EXPECT_STREQ(MonitorStatusText(Item(file)), "Normal");
  EXPECT_STREQ(MonitorStatusText(Item(folder)), "N/A");
  EXPECT_FALSE(HasEncryptedFiles(manager(), file));
  EXPECT_TRUE(HasEncryptedFiles(manager(), folder));
  EXPECT_FALSE(HasEncryptedFiles(manager(), empty));

  std::filesystem::rename(Path("f.txt"), Path("f.txt.dfc"));
  RefreshEncryptedStates(manager());
  EXPECT_STREQ(MonitorStatusText(Item(file)), "Encrypted");
  EXPECT_TRUE(HasEncryptedFiles(manager(), file));
  WriteBytes(Path("f.txt"), "plain again");
  std::filesystem::remove(Path("f.txt.dfc"));
  RefreshEncryptedStates(manager());
  EXPECT_EQ(Item(file).encrypted, 0u);
  EXPECT_EQ(Item(folder).encrypted, 0u) << "folder items keep their value";
}

TEST_F(MonitorListTest, IsDfcFileIgnoresCaseButWantsARegularFile) {
  WriteBytes(Path("a.DfC"), "");
  WriteBytes(Path("b.dfc.bak"), "");
  std::filesystem::create_directory(Path("folder.dfc"));
  std::filesystem::create_symlink(Path("a.DfC"), Path("link.dfc"));
  EXPECT_TRUE(IsDfcFile(manager(), Path("a.DfC")));
  EXPECT_FALSE(IsDfcFile(manager(), Path("b.dfc.bak")));
  EXPECT_FALSE(IsDfcFile(manager(), Path("folder.dfc")));
  EXPECT_FALSE(IsDfcFile(manager(), Path("link.dfc")));
  EXPECT_FALSE(IsDfcFile(manager(), Path("missing.dfc")));
}

TEST(MonitorTimeTest, PrintsMonthDayYearAndMinusOneWhenTheDateCannotBeSplit) {
  EXPECT_EQ(FormatMonitorTime(45292.5), "01-01-2024 12:00:00");
  EXPECT_EQ(FormatMonitorTime(45291.0 + 23.0 / 24 + 59.0 / 1440 + 59.0 / 86400), "12-31-2023 23:59:59");
  EXPECT_EQ(FormatMonitorTime(std::numeric_limits<double>::quiet_NaN()), "-1--1--001 -1:-1:-1");
  EXPECT_EQ(FormatMonitorTime(1e12), "-1--1--001 -1:-1:-1");
}

}  // namespace
}  // namespace nv
