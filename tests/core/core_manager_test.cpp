#include "core/core_manager.h"

#include <atomic>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mem_env.h"

namespace nv {
namespace {

using Paths = std::vector<std::string>;
using Ids = std::vector<uint32_t>;

SpecialFolders FakeFolders() {
  SpecialFolders f;
  f.systemDriveRoot = "/";
  f.systemFolders = {"/usr"};
  f.programFiles = "/opt";
  f.programFilesX86 = "/opt";
  f.localAppData = "/home/u/.local/share";
  f.desktop = "/home/u/Desktop";
  f.documents = "/home/u/Documents";
  f.profilesRoots = {"/home"};
  f.programFolder = "/apps/norvane";
  return f;
}

// The shred list and the backup list share one algorithm; every list test runs on both.
struct ListOps {
  const char* name;
  std::function<void(CCoreManager&, const Paths&, Ids*, Paths*, Paths*)> add;
  std::function<void(CCoreManager&, const Ids&)> remove;
  std::function<void(CCoreManager&)> clear;
  std::function<Paths(CCoreManager&, const Ids&)> paths;
  std::function<ItemMap<ShredFileInfo>&(CCoreManager&)> items;
};

void PrintTo(const ListOps& ops, std::ostream* os) { *os << ops.name; }

const ListOps kShredList{
    "Shred",
    [](CCoreManager& m, const Paths& p, Ids* a, Paths* o, Paths* r) { m.AddShredItems(p, a, o, r); },
    [](CCoreManager& m, const Ids& ids) { m.RemoveShredItems(ids); },
    [](CCoreManager& m) { m.ClearShredItems(); },
    [](CCoreManager& m, const Ids& ids) { return m.GetShredPaths(ids); },
    [](CCoreManager& m) -> ItemMap<ShredFileInfo>& { return m.shredItems.value; },
};

const ListOps kBackupList{
    "Backup",
    [](CCoreManager& m, const Paths& p, Ids* a, Paths* o, Paths* r) { m.AddBackupItems(p, a, o, r); },
    [](CCoreManager& m, const Ids& ids) { m.RemoveBackupItems(ids); },
    [](CCoreManager& m) { m.ClearBackupItems(); },
    [](CCoreManager& m, const Ids& ids) { return m.GetBackupPaths(ids); },
    [](CCoreManager& m) -> ItemMap<BackupFileInfo>& { return m.backupItems.value; },
};

class ManagerFixture {
 protected:
  ManagerFixture() {
    for (const char* dir : {"/usr/lib", "/opt", "/apps/norvane", "/home/u/Desktop", "/data/dir/sub"})
      env_.MakeDirs(dir);
    for (const char* file : {"/data/a.txt", "/data/b.txt", "/data/dir/f.txt", "/home/u/Desktop/d.txt",
                             "/home/u/.profile"})
      env_.WriteFile(file, "x");
    env_.MakeSymlink("/data/alias", "/data/dir");
    manager_.Init();
  }

  MemEnv env_;
  SpecialFolders folders_ = FakeFolders();
  CCoreManager manager_{&env_, folders_};
};

class ItemListTest : public ManagerFixture, public ::testing::TestWithParam<ListOps> {
 protected:
  struct Result {
    Ids added;
    Paths overlapping, refused;
  };
  Result Add(const Paths& paths) {
    Result r;
    GetParam().add(manager_, paths, &r.added, &r.overlapping, &r.refused);
    return r;
  }
  ItemMap<ShredFileInfo>& Items() { return GetParam().items(manager_); }
};

TEST_P(ItemListTest, AddsRecordsWithNamesKindsAndIds) {
  Result r = Add({"/data/a.txt", "/data/dir", "/home/u/Desktop"});
  EXPECT_EQ(r.added, (Ids{0, 1, 2}));
  EXPECT_TRUE(r.overlapping.empty());
  EXPECT_TRUE(r.refused.empty());
  ASSERT_EQ(Items().size(), 3u);
  const ShredFileInfo& file = *Items().at(0);
  EXPECT_EQ(file.path, "/data/a.txt");
  EXPECT_EQ(file.name, "a.txt");
  EXPECT_EQ(file.id, 0u);
  EXPECT_EQ(file.isFolder, 0u);
  EXPECT_EQ(Items().at(1)->name, "dir");
  EXPECT_EQ(Items().at(1)->isFolder, 1u);
}

TEST_P(ItemListTest, DuplicatesAndNestedPathsInOneCallAreOverlapping) {
  Result r = Add({"/data/dir", "/data/dir", "/data/dir/f.txt", "/data/alias", "/data/a.txt"});
  EXPECT_EQ(r.added, (Ids{0, 1}));
  EXPECT_EQ(r.overlapping, (Paths{"/data/dir", "/data/dir/f.txt", "/data/alias"}));
  EXPECT_EQ(GetParam().paths(manager_, {0, 1}), (Paths{"/data/dir", "/data/a.txt"}));
}

TEST_P(ItemListTest, NestedPathsAcrossCallsAreOverlappingBothWays) {
  ASSERT_EQ(Add({"/data/dir/f.txt"}).added, Ids{0});
  Result r = Add({"/data/dir"});
  EXPECT_TRUE(r.added.empty());
  EXPECT_EQ(r.overlapping, Paths{"/data/dir"});

  GetParam().clear(manager_);
  ASSERT_EQ(Add({"/data/dir"}).added, Ids{0});
  r = Add({"/data/dir/sub", "/data/dir/f.txt"});
  EXPECT_TRUE(r.added.empty());
  EXPECT_EQ(r.overlapping, (Paths{"/data/dir/sub", "/data/dir/f.txt"}));
  EXPECT_EQ(Items().size(), 1u);
}

TEST_P(ItemListTest, MissingPathsAreSkippedAndProtectedOnesRefused) {
  Result r = Add({"/data/missing", "/", "/usr/lib", "/apps", "/home/u/.profile", "/home/u/Desktop/d.txt"});
  EXPECT_EQ(r.added, Ids{0});
  EXPECT_TRUE(r.overlapping.empty());
  EXPECT_EQ(r.refused, (Paths{"/", "/usr/lib", "/apps", "/home/u/.profile"}));
  EXPECT_EQ(Items().at(0)->path, "/home/u/Desktop/d.txt");
}

TEST_P(ItemListTest, IdsAreNeverReusedUntilTheListIsCleared) {
  ASSERT_EQ(Add({"/data/a.txt", "/data/b.txt", "/data/dir"}).added, (Ids{0, 1, 2}));
  GetParam().remove(manager_, {2, 7});  // an unknown id is ignored
  EXPECT_EQ(Add({"/data/dir"}).added, Ids{3});
  GetParam().remove(manager_, {0, 1, 3});
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Add({"/data/a.txt"}).added, Ids{4});
  GetParam().clear(manager_);
  EXPECT_TRUE(Items().empty());
  EXPECT_EQ(Add({"/data/b.txt"}).added, Ids{0});
}

TEST_P(ItemListTest, PathsComeInTheOrderOfTheIdsGiven) {
  ASSERT_EQ(Add({"/data/a.txt", "/data/b.txt", "/data/dir"}).added, (Ids{0, 1, 2}));
  EXPECT_EQ(GetParam().paths(manager_, {2, 0, 99, 1}),
            (Paths{"/data/dir", "/data/a.txt", "/data/b.txt"}));
  EXPECT_TRUE(GetParam().paths(manager_, {}).empty());
}

TEST_P(ItemListTest, AnItemGoneFromDiskBlocksNothing) {
  ASSERT_EQ(Add({"/data/dir"}).added, Ids{0});
  FsError error;
  ASSERT_TRUE(env_.DeleteFile("/data/dir/f.txt", &error));
  ASSERT_TRUE(env_.RemoveDir("/data/dir/sub", &error));
  ASSERT_TRUE(env_.RemoveDir("/data/dir", &error));
  Result r = Add({"/data/a.txt", "/data/b.txt"});
  EXPECT_EQ(r.added, (Ids{1, 2}));
  EXPECT_TRUE(r.overlapping.empty());
}

INSTANTIATE_TEST_SUITE_P(Lists, ItemListTest, ::testing::Values(kShredList, kBackupList),
                         [](const ::testing::TestParamInfo<ListOps>& info) {
                           return std::string(info.param.name);
                         });

class CoreManagerTest : public ManagerFixture, public ::testing::Test {};

TEST_F(CoreManagerTest, PruneDropsItemsWhosePathsAreGone) {
  Ids added;
  Paths overlapping, refused;
  manager_.AddShredItems({"/data/a.txt", "/data/dir", "/data/b.txt"}, &added, &overlapping, &refused);
  ASSERT_EQ(added, (Ids{0, 1, 2}));
  ASSERT_TRUE(env_.DeleteFile("/data/a.txt", nullptr));
  ASSERT_TRUE(env_.DeleteFile("/data/b.txt", nullptr));
  manager_.PruneShredItems();
  EXPECT_EQ(manager_.GetShredPaths({0, 1, 2}), Paths{"/data/dir"});
}

TEST_F(CoreManagerTest, InitFillsFoldersAndCreatesTheDataFolder) {
  manager_.nextShredId = 5;
  manager_.nextMonitorId = 5;
  manager_.Init();
  EXPECT_EQ(manager_.appDataFolder, "/home/u/.local/share/Norvane");
  EXPECT_EQ(manager_.archivePath, "/home/u/.local/share/Norvane/FileArchive.dfd");
  EXPECT_EQ(manager_.programFolder, "/apps/norvane");
  EXPECT_EQ(manager_.nextShredId, 0u);
  EXPECT_EQ(manager_.nextMonitorId, 0u);
  EntryInfo info;
  ASSERT_TRUE(env_.Stat(manager_.appDataFolder, &info));
  EXPECT_EQ(info.type, EntryType::kDirectory);
}

TEST_F(CoreManagerTest, ClearMonitorItemsResetsItsCounter) {
  manager_.monitorItems.value[3] = std::make_unique<MonitorFileInfo>();
  manager_.nextMonitorId = 4;
  manager_.ClearMonitorItems();
  EXPECT_TRUE(manager_.monitorItems.value.empty());
  EXPECT_EQ(manager_.nextMonitorId, 0u);
}

TEST_F(CoreManagerTest, CurrentFilesAreReadThroughTheManager) {
  SetCurrentFile(manager_.shredJob, "/data/a.txt");
  SetCurrentFile(manager_.backupJob, "/data/b.txt");
  EXPECT_EQ(manager_.GetShredCurrentFile(), "/data/a.txt");
  EXPECT_EQ(manager_.GetBackupCurrentFile(), "/data/b.txt");
  EXPECT_EQ(manager_.GetCryptoCurrentFile(), "");
}

TEST(CoreManagerLifetimeTest, DestructionAbortsAndWaitsForRunningJobs) {
  MemEnv env;
  SpecialFolders folders = FakeFolders();
  auto manager = std::make_unique<CCoreManager>(&env, folders);
  std::atomic<int> finished{0};
  for (JobStatus* job : {static_cast<JobStatus*>(&manager->shredJob),
                         static_cast<JobStatus*>(&manager->cryptoJob),
                         static_cast<JobStatus*>(&manager->backupJob)}) {
    job->pauseSleepMs = 5;
    ASSERT_TRUE(LaunchWorker(*job, [job, &finished] {
      while (PauseCheckPoint(*job)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      ++finished;
    }));
  }
  manager->shredJob.command = JOB_PAUSED;
  manager.reset();
  EXPECT_EQ(finished.load(), 3);
}

}  // namespace
}  // namespace nv
