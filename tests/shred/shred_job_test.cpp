#include "shred/shred_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "core/job.h"
#include "platform/fault_env.h"
#include "platform/mem_env.h"
#include "tests/platform/temp_dir.h"
#include "tests/shred/recording_env.h"
#include "tests/shred/test_files.h"

namespace nv {
namespace {

using testing::Content;
using testing::Exists;
using testing::FsEvent;
using testing::Names;
using testing::ReadBytes;
using testing::WriteBytes;
using ErrorList = std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>;

const SpecialFolders& TestFolders() {
  static const SpecialFolders folders = [] {
    SpecialFolders f;
    f.systemDriveRoot = "/";
    return f;
  }();
  return folders;
}

bool IsChurnName(const std::string& path) { return path.find("$$$$$$$$") != std::string::npos; }

class ShredJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path().empty());
    manager.shredJob.pauseSleepMs = 5;
  }

  std::string Path(const std::string& relative) const { return dir.path() + "/" + relative; }
  void MakeFolder(const std::string& relative) { std::filesystem::create_directories(Path(relative)); }

  ErrorList Errors() {
    ReadAccess<ErrorList> queue(errors);
    return *queue;
  }

  // Adds the items to the list and shreds them all, waiting for the end.
  void ShredAll(const std::vector<std::string>& paths, uint32_t method) {
    std::vector<uint32_t> ids;
    std::vector<std::string> overlapping, refused;
    manager.AddShredItems(paths, &ids, &overlapping, &refused);
    ASSERT_TRUE(StartShred(manager, ids, &errors, method));
    JoinWorker(job);
  }

  // Makes the first write of the run pause the job, so a test can act while it waits.
  void PauseAtFirstWrite() {
    env.before = [this](const FsEvent& event) {
      if (event.kind == FsEvent::kWrite && !pausedOnce.exchange(true)) job.command = JOB_PAUSED;
    };
  }
  bool WaitUntilPaused() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (job.state != JOB_PAUSED && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return job.state == JOB_PAUSED;
  }

  testing::TempDir dir;
  FaultEnv faults{Env::Default()};
  testing::RecordingEnv env{&faults};
  CCoreManager manager{&env, TestFolders()};
  ShredJob& job = manager.shredJob;
  ErrorQueue errors;
  std::atomic<bool> pausedOnce{false};
};

TEST_F(ShredJobTest, NestedTreeIsShreddedAndItsFoldersRemovedDeepestFirst) {
  MakeFolder("item/sub dir/deep/er");
  MakeFolder("item/empty");
  WriteBytes(Path("item/a.txt"), Content(1000));
  WriteBytes(Path("item/.hidden"), Content(10));
  WriteBytes(Path("item/ro.txt"), Content(500));
  ::chmod(Path("item/ro.txt").c_str(), 0444);
  WriteBytes(Path("item/sub dir/ünïcødé ✓.bin"), Content(70000));
  WriteBytes(Path("item/sub dir/deep/er/last"), Content(300));
  const uint64_t bytes = 1000 + 10 + 500 + 70000 + 300;

  ShredAll({Path("item")}, SHRED_US_MILITARY);

  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Names(dir.path()).empty()) << "the item and every churn name are gone";
  EXPECT_EQ(job.totalBytes, 3 * bytes);
  EXPECT_EQ(job.doneBytes, 3 * bytes);
  EXPECT_DOUBLE_EQ(job.totalPercent, 100.0);
  EXPECT_EQ(job.state, JOB_STOPPED);
  EXPECT_TRUE(job.passes.empty());

  std::vector<std::string> removed;
  for (const FsEvent& event : env.EventsOf(FsEvent::kRemoveDir))
    if (event.ok && !IsChurnName(event.path)) removed.push_back(event.path);
  ASSERT_EQ(removed.size(), 5u);
  EXPECT_EQ(removed.back(), Path("item"));
  for (size_t i = 0; i < removed.size(); ++i)
    for (size_t j = i + 1; j < removed.size(); ++j)
      EXPECT_NE(removed[j].rfind(removed[i] + "/", 0), 0u) << removed[j] << " removed after its child";

  manager.PruneShredItems();
  EXPECT_TRUE(manager.GetShredPaths({0}).empty());
}

// In memory, since every removed folder costs 105 operations on paths that grow with the depth.
TEST(ShredJobDepthTest, DeepTreeIsRemovedCompletely) {
  MemEnv mem;
  std::string bottom = "/deep";
  for (int level = 0; level < 60; ++level) bottom += "/d";
  ASSERT_TRUE(mem.MakeDirs(bottom));
  ASSERT_TRUE(mem.WriteFile(bottom + "/bottom", Content(100)));
  ASSERT_TRUE(mem.WriteFile("/deep/d/d/top", Content(100)));
  ShredJob job;
  ErrorQueue errors;

  ASSERT_TRUE(StartShredJob(job, &mem, {"/deep"}, SHRED_ZEROS, &errors));
  JoinWorker(job);

  std::vector<DirEntry> root;
  ASSERT_TRUE(mem.ListDir("/", &root));
  EXPECT_TRUE(root.empty());
  EXPECT_EQ(job.doneBytes, 200u);
  ReadAccess<ErrorList> queue(errors);
  EXPECT_TRUE(queue->empty());
}

TEST_F(ShredJobTest, LockedFileIsReportedAndKeepsItsFoldersWhileTheRestGoes) {
  MakeFolder("item/keep");
  MakeFolder("item/gone");
  WriteBytes(Path("item/keep/locked"), Content(4000));
  WriteBytes(Path("item/keep/other"), Content(4000));
  WriteBytes(Path("item/gone/x"), Content(4000));
  OpenOptions lock;
  lock.share = Share::kExclusive;
  std::unique_ptr<File> holder = Env::Default()->Open(Path("item/keep/locked"), lock, nullptr);
  ASSERT_TRUE(holder);

  ShredAll({Path("item")}, SHRED_ZEROS);

  EXPECT_EQ(Errors(), (ErrorList{{Path("item/keep/locked"), FOE_READ_FAILED}}));
  EXPECT_EQ(Names(Path("item")), std::set<std::string>{"keep"});
  EXPECT_EQ(Names(Path("item/keep")), std::set<std::string>{"locked"});
  EXPECT_EQ(ReadBytes(Path("item/keep/locked")), Content(4000));
}

TEST_F(ShredJobTest, LinksAndSpecialEntriesAreRemovedWithoutTouchingWhatTheyPointTo) {
  MakeFolder("outside/folder");
  WriteBytes(Path("outside/target"), Content(2000));
  WriteBytes(Path("outside/folder/inner"), Content(2000));
  MakeFolder("item");
  std::filesystem::create_symlink(Path("outside/target"), Path("item/to-file"));
  std::filesystem::create_symlink(Path("outside/folder"), Path("item/to-folder"));
  std::filesystem::create_symlink(Path("nowhere"), Path("item/dangling"));
  ASSERT_EQ(::mkfifo(Path("item/fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink(Path("outside/target"), Path("top-link"));
  ASSERT_EQ(::mkfifo(Path("top-fifo").c_str(), 0600), 0);

  ASSERT_TRUE(
      StartShredJob(job, &env, {Path("item"), Path("top-link"), Path("top-fifo")}, SHRED_ZEROS, &errors));
  JoinWorker(job);

  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"outside"});
  EXPECT_EQ(ReadBytes(Path("outside/target")), Content(2000));
  EXPECT_EQ(ReadBytes(Path("outside/folder/inner")), Content(2000));
  for (const FsEvent& event : env.Events())
    EXPECT_EQ(event.path.find(Path("outside")), std::string::npos) << event.path;
  EXPECT_EQ(job.totalBytes, 0u);
}

TEST_F(ShredJobTest, FolderChurnCreatesOnlyFreeNamesAndRemovesOnlyThose) {
  std::string takenFolder = "C" + std::string(31, '$');
  std::string takenFile = "Zz" + std::string(30, '$');
  MakeFolder("parent/victim");
  MakeFolder("parent/" + takenFolder);
  WriteBytes(Path("parent/" + takenFolder + "/keep"), "kept");
  WriteBytes(Path("parent/" + takenFile), "kept too");
  WriteBytes(Path("parent/victim/f"), Content(10));

  ShredAll({Path("parent/victim")}, SHRED_ZEROS);

  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Names(Path("parent")), (std::set<std::string>{takenFolder, takenFile}));
  EXPECT_EQ(ReadBytes(Path("parent/" + takenFolder + "/keep")), "kept");
  EXPECT_EQ(ReadBytes(Path("parent/" + takenFile)), "kept too");
  std::vector<std::string> churnRemovals;
  for (const FsEvent& event : env.EventsOf(FsEvent::kRemoveDir))
    if (IsChurnName(event.path)) churnRemovals.push_back(BaseName(event.path).substr(0, 1));
  EXPECT_EQ(churnRemovals, (std::vector<std::string>{"A", "B"}));
}

TEST_F(ShredJobTest, AbortLeavesTheRestOfTheItemAndLaterItemsUntouched) {
  MakeFolder("first");
  for (const char* name : {"f1", "f2", "f3"})
    WriteBytes(Path(std::string("first/") + name), Content(50000, name[1]));
  WriteBytes(Path("second"), Content(50000, 'x'));
  MakeFolder("third");
  WriteBytes(Path("third/f"), Content(50000, 'y'));
  PauseAtFirstWrite();

  ASSERT_TRUE(
      StartShredJob(job, &env, {Path("first"), Path("second"), Path("third")}, SHRED_US_MILITARY, &errors));
  ASSERT_TRUE(WaitUntilPaused());
  job.command = JOB_STOPPED;
  JoinWorker(job);

  EXPECT_EQ(job.state, JOB_STOPPED);
  EXPECT_TRUE(Errors().empty());
  std::set<std::string> written;
  for (const FsEvent& event : env.EventsOf(FsEvent::kWrite)) written.insert(event.path);
  ASSERT_EQ(written.size(), 1u);
  const std::string partly = *written.begin();
  EXPECT_EQ(ReadBytes(partly), std::string(50000, '\0'));
  for (const char* name : {"f1", "f2", "f3"}) {
    std::string path = Path(std::string("first/") + name);
    if (path != partly) {
      EXPECT_EQ(ReadBytes(path), Content(50000, name[1])) << path;
    }
  }
  EXPECT_EQ(ReadBytes(Path("second")), Content(50000, 'x'));
  EXPECT_EQ(ReadBytes(Path("third/f")), Content(50000, 'y'));
  EXPECT_TRUE(env.EventsOf(FsEvent::kDelete).empty());
  EXPECT_TRUE(env.EventsOf(FsEvent::kRemoveDir).empty());
}

TEST_F(ShredJobTest, StartIsRefusedForBadMethodNoItemsAndWhileARunIsActive) {
  WriteBytes(Path("a"), Content(100000));
  WriteBytes(Path("b"), Content(100));
  std::vector<uint32_t> ids;
  std::vector<std::string> overlapping, refused;
  manager.AddShredItems({Path("a"), Path("b")}, &ids, &overlapping, &refused);
  ASSERT_EQ(ids.size(), 2u);

  EXPECT_FALSE(StartShred(manager, ids, &errors, 8));
  EXPECT_FALSE(StartShred(manager, {}, &errors, SHRED_ZEROS));
  EXPECT_FALSE(StartShred(manager, {42}, &errors, SHRED_ZEROS));
  EXPECT_EQ(job.state, JOB_STOPPED);
  EXPECT_TRUE(job.passes.empty());

  PauseAtFirstWrite();
  ASSERT_TRUE(StartShred(manager, {ids[0]}, &errors, SHRED_US_MILITARY));
  ASSERT_TRUE(WaitUntilPaused());
  EXPECT_FALSE(StartShred(manager, {ids[1]}, &errors, SHRED_ZEROS));
  EXPECT_EQ(job.paths, std::vector<std::string>{Path("a")});
  job.command = JOB_RUNNING;
  JoinWorker(job);
  EXPECT_FALSE(Exists(Path("a")));

  ASSERT_TRUE(StartShred(manager, {ids[1]}, &errors, SHRED_ZEROS)) << "a finished run allows the next";
  JoinWorker(job);
  EXPECT_FALSE(Exists(Path("b")));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ShredJobTest, NothingMeasuredAtTheStartShowsZeroInsteadOfDividingByZero) {
  std::string path = Path("grows");
  WriteBytes(path, "");
  std::atomic<bool> grown{false};
  env.before = [&](const FsEvent& event) {
    if (event.kind == FsEvent::kOpen && event.path == path && !grown.exchange(true))
      WriteBytes(path, Content(70000));
  };

  ASSERT_TRUE(StartShredJob(job, &env, {path}, SHRED_ZEROS, &errors));
  JoinWorker(job);

  EXPECT_EQ(job.totalBytes, 0u);
  EXPECT_EQ(job.doneBytes, 70000u);
  EXPECT_DOUBLE_EQ(job.totalPercent, 0.0);
  EXPECT_FALSE(Exists(path));
}

TEST_F(ShredJobTest, PathsOverTheLimitsAndUnremovableFoldersAreReported) {
  std::string tooLong = dir.path() + "/" + std::string(kMaxPathBytes, 'x');
  std::string nameTooLong = dir.path() + "/" + std::string(kMaxNameBytes + 1, 'n');
  MakeFolder("stuck-folder");
  WriteBytes(Path("stuck-folder/f"), Content(10));
  WriteBytes(Path("fine"), Content(10));
  faults.FailRemoveDir("stuck-folder");

  ASSERT_TRUE(StartShredJob(job, &env, {tooLong, nameTooLong, Path("stuck-folder"), Path("fine")},
                            SHRED_ZEROS, &errors));
  JoinWorker(job);

  EXPECT_EQ(Errors(), (ErrorList{{tooLong, FOE_READ_FAILED},
                                 {nameTooLong, FOE_READ_FAILED},
                                 {Path("stuck-folder"), FOE_READ_FAILED}}));
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"stuck-folder"});
  EXPECT_TRUE(Names(Path("stuck-folder")).empty());
}

TEST(ShredJobLifetimeTest, DestroyingTheManagerAbortsAndWaitsForTheWorker) {
  testing::TempDir dir;
  std::string path = dir.path() + "/big";
  WriteBytes(path, Content(100000));
  testing::RecordingEnv env{Env::Default()};
  auto manager = std::make_unique<CCoreManager>(&env, TestFolders());
  manager->shredJob.pauseSleepMs = 5;
  std::atomic<bool> once{false};
  ShredJob* job = &manager->shredJob;
  env.before = [&](const FsEvent& event) {
    if (event.kind == FsEvent::kWrite && !once.exchange(true)) job->command = JOB_PAUSED;
  };
  ASSERT_TRUE(StartShredJob(*job, &env, {path}, SHRED_NATO, nullptr));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (job->state != JOB_PAUSED && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(job->state, JOB_PAUSED);

  manager.reset();

  EXPECT_TRUE(Exists(path));
  EXPECT_EQ(ReadBytes(path), std::string(100000, '\0'));
}

}  // namespace
}  // namespace nv
