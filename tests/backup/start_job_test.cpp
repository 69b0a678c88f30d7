// The core manager's entry points: which items a backup takes, what refuses
// to start, and that no worker outlives the manager.
#include <gtest/gtest.h>

#include <memory>

#include "backup/backup_job.h"
#include "core/core_manager.h"
#include "platform/clock.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

using test::Failures;

SpecialFolders TestFolders() {
  SpecialFolders folders;
  folders.systemDriveRoot = "/";
  folders.systemFolders = {"/usr"};
  folders.programFiles = "/opt";
  folders.programFilesX86 = "/opt";
  folders.localAppData = "/home/u/.local/share";
  folders.desktop = "/home/u/Desktop";
  folders.documents = "/home/u/Documents";
  folders.profilesRoots = {"/home"};
  folders.programFolder = "/opt/norvane";
  return folders;
}

class StartJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env.MakeDirs("/data"));
    ASSERT_TRUE(env.MakeDirs("/usr/lib"));
    ASSERT_TRUE(env.MakeDirs("/opt/norvane"));
    ASSERT_TRUE(env.WriteFile("/data/a.txt", "a"));
    ASSERT_TRUE(env.WriteFile("/data/b.txt", "b"));
    manager = std::make_unique<CCoreManager>(&env, folders);
    manager->backupJob.pauseSleepMs = 5;
  }

  std::vector<uint32_t> Add(const std::vector<std::string>& paths) {
    std::vector<uint32_t> added;
    std::vector<std::string> overlapping, refused;
    manager->AddBackupItems(paths, &added, &overlapping, &refused);
    return added;
  }

  test::HookEnv env;
  SpecialFolders folders = TestFolders();
  std::unique_ptr<CCoreManager> manager;
  ErrorQueue errors;
};

TEST_F(StartJobTest, BackupTakesTheListedItemsInTheOrderOfTheIds) {
  std::vector<uint32_t> ids = Add({"/data/a.txt", "/data/b.txt"});
  ASSERT_EQ(ids.size(), 2u);
  ASSERT_TRUE(StartBackup(*manager, {ids[1], 77, ids[0]}, "/data/two.dfi", "pw-123", &errors));
  JoinWorker(manager->backupJob);
  EXPECT_EQ(manager->backupJob.items, (std::vector<std::string>{"/data/b.txt", "/data/a.txt"}));
  std::string bytes;
  ASSERT_TRUE(env.ReadFile("/data/two.dfi", &bytes));
  test::ParsedImage image;
  ASSERT_TRUE(test::ParseImage(bytes, &image));
  ASSERT_EQ(image.entries.size(), 2u);
  EXPECT_EQ(image.entries[0].path, u"b.txt");
  EXPECT_EQ(image.entries[1].path, u"a.txt");

  ASSERT_TRUE(env.MakeDirs("/restore"));
  ASSERT_TRUE(StartRecovery(*manager, "/data/two.dfi", "/restore", "pw-123", &errors));
  JoinWorker(manager->backupJob);
  EXPECT_EQ(test::Drain(errors), Failures{});
  EXPECT_EQ(test::Snapshot(env, "/restore"), (std::map<std::string, std::string>{{"a.txt", "a"}, {"b.txt", "b"}}));
}

TEST_F(StartJobTest, RefusalsStartNothingAndWriteNothing) {
  std::vector<uint32_t> ids = Add({"/data/a.txt"});
  const std::string tooLong = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";  // 9 characters, 18 bytes
  EXPECT_FALSE(StartBackup(*manager, ids, "/data/x.dfi", tooLong, &errors));
  EXPECT_FALSE(StartBackup(*manager, ids, "", "pw-123", &errors));
  EXPECT_FALSE(StartBackup(*manager, {42}, "/data/x.dfi", "pw-123", &errors));
  EXPECT_FALSE(StartRecovery(*manager, "/data/x.dfi", "", "pw-123", &errors));
  EXPECT_FALSE(StartRecovery(*manager, "", "/data", "pw-123", &errors));
  EXPECT_FALSE(StartRecovery(*manager, "/data/x.dfi", "/data", tooLong, &errors));
  manager->backupJob.state = JOB_RUNNING;
  EXPECT_FALSE(StartBackup(*manager, ids, "/data/x.dfi", "pw-123", &errors));
  EXPECT_FALSE(StartRecovery(*manager, "/data/x.dfi", "/data", "pw-123", &errors));
  manager->backupJob.state = JOB_STOPPED;
  EXPECT_EQ(test::Snapshot(env, "/data"), (std::map<std::string, std::string>{{"a.txt", "a"}, {"b.txt", "b"}}));
  EXPECT_EQ(manager->backupJob.command, JOB_STOPPED);
  EXPECT_EQ(test::Drain(errors), Failures{});
}

TEST_F(StartJobTest, DestroyingTheManagerAbortsAndJoinsTheWorker) {
  ASSERT_TRUE(env.WriteFile("/data/big.bin", test::Pattern(3 * 65536, 1)));
  std::vector<uint32_t> ids = Add({"/data/big.bin"});
  env.onOpen = [this](const std::string& path) {
    if (path == "/data/big.bin") manager->backupJob.command = JOB_PAUSED;
  };
  ASSERT_TRUE(StartBackup(*manager, ids, "/data/big.dfi", "pw-123", &errors));
  for (int i = 0; i < 2000 && manager->backupJob.state != JOB_PAUSED; ++i) SleepMs(1);
  ASSERT_EQ(manager->backupJob.state, JOB_PAUSED);
  manager.reset();
  EXPECT_EQ(test::Snapshot(env, "/data"),
            (std::map<std::string, std::string>{{"a.txt", "a"}, {"b.txt", "b"}, {"big.bin", test::Pattern(3 * 65536, 1)}}));
  EXPECT_EQ(env.OpenFileCount(), 0u);
}

}  // namespace
}  // namespace nv
