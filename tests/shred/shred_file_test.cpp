#include "shred/shred_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "core/job.h"
#include "platform/fault_env.h"
#include "platform/mem_env.h"
#include "shred/name_slots.h"
#include "shred/shred_passes.h"
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

const std::string kDollars(32, '$');

class ShredOneFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.path().empty()); }

  // Puts the job in the state its worker runs in.
  void Prepare(ShredMethod method, uint64_t totalBytes = 0) {
    job.method = method;
    job.totalBytes = totalBytes;
    ASSERT_TRUE(PreparePasses(job));
    job.errors = &errors;
    job.pauseSleepMs = 5;
    job.command = JOB_RUNNING;
    job.state = JOB_RUNNING;
  }

  std::string Path(const std::string& name) const { return dir.path() + "/" + name; }

  ErrorList Errors() {
    ReadAccess<ErrorList> queue(errors);
    return *queue;
  }

  // The positions, writes and flushes on one file, as "seek 0", "write N", "sync".
  std::vector<std::string> Io(const std::string& path) {
    std::vector<std::string> out;
    for (const FsEvent& event : env.Events()) {
      if (event.path != path) continue;
      if (event.kind == FsEvent::kSeek) out.push_back("seek " + std::to_string(event.offset));
      if (event.kind == FsEvent::kWrite) out.push_back("write " + std::to_string(event.data.size()));
      if (event.kind == FsEvent::kSync) out.push_back("sync");
    }
    return out;
  }

  testing::TempDir dir;
  FaultEnv faults{Env::Default()};
  testing::RecordingEnv env{&faults};
  ShredJob job;
  ErrorQueue errors;
};

TEST_F(ShredOneFileTest, OverwritesEveryPassFromTheStartFlushesEachAndRemovesTheFile) {
  const uint64_t size = 65537;
  Prepare(SHRED_US_MILITARY, size);
  std::string path = Path("victim.bin");
  WriteBytes(path, Content(size));

  ShredOneFile(job, &env, path);

  std::vector<std::string> onePass = {"seek 0", "write 65536", "write 1", "sync"};
  std::vector<std::string> expected;
  for (int pass = 0; pass < 3; ++pass) expected.insert(expected.end(), onePass.begin(), onePass.end());
  EXPECT_EQ(Io(path), expected);
  size_t write = 0;
  for (const FsEvent& event : env.EventsOf(FsEvent::kWrite)) {
    const std::vector<uint8_t>& buffer = job.passes[write / 2];
    EXPECT_EQ(0, std::memcmp(event.data.data(), buffer.data(), event.data.size())) << "write " << write;
    ++write;
  }
  EXPECT_EQ(job.doneBytes, 3 * size);
  EXPECT_DOUBLE_EQ(job.filePercent, 100.0);
  EXPECT_DOUBLE_EQ(job.totalPercent, 100.0);
  EXPECT_EQ(GetCurrentFile(job), path);
  EXPECT_TRUE(Errors().empty());

  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(Names(dir.path()).empty()) << "no working or churn name may be left";
  std::vector<FsEvent> renames = env.EventsOf(FsEvent::kRename);
  ASSERT_EQ(renames.size(), 1u);
  EXPECT_EQ(renames[0].to, Path(kDollars));
  std::vector<std::string> churned;
  for (const FsEvent& event : env.EventsOf(FsEvent::kOpen))
    if (event.path != path && event.ok) churned.push_back(event.path);
  EXPECT_EQ(churned, ChurnNames(path));
}

TEST_F(ShredOneFileTest, FileThatCannotBeDeletedKeepsItsNameAndLastPassAndIsReported) {
  Prepare(SHRED_NATO);
  std::string path = Path("kept.txt");
  WriteBytes(path, Content(1000));
  faults.FailDelete("");

  ShredOneFile(job, &env, path);

  EXPECT_EQ(Errors(), (ErrorList{{path, FOE_READ_FAILED}}));
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"kept.txt"});
  std::string data = ReadBytes(path);
  ASSERT_EQ(data.size(), 1000u);
  const uint8_t triple[3] = {0x35, 0xCA, 0x97};
  for (size_t k = 0; k < data.size(); ++k)
    ASSERT_EQ(static_cast<uint8_t>(data[k]), triple[(k % 512) % 3]) << "byte " << k;
}

TEST_F(ShredOneFileTest, EmptyFileIsRemovedWithoutWrites) {
  Prepare(SHRED_US_MILITARY);
  std::string path = Path("empty");
  WriteBytes(path, "");

  ShredOneFile(job, &env, path);

  EXPECT_TRUE(env.EventsOf(FsEvent::kWrite).empty());
  EXPECT_EQ(job.doneBytes, 0u);
  EXPECT_DOUBLE_EQ(job.filePercent, 0.0);
  EXPECT_DOUBLE_EQ(job.totalPercent, 0.0);
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Names(dir.path()).empty());
}

// MemEnv refuses writes to read-only files as an unprivileged user's system would.
TEST_F(ShredOneFileTest, ReadOnlyFileIsShreddedAndALockedOneKeepsItsAttribute) {
  Prepare(SHRED_ZEROS);
  MemEnv mem;
  ASSERT_TRUE(mem.MakeDirs("/d"));
  ASSERT_TRUE(mem.WriteFile("/d/ro.txt", Content(3000), 0444));
  ASSERT_TRUE(mem.WriteFile("/d/locked.txt", Content(3000), 0444));
  OpenOptions lock;
  lock.share = Share::kExclusive;
  std::unique_ptr<File> holder = mem.Open("/d/locked.txt", lock, nullptr);
  ASSERT_TRUE(holder);

  ShredOneFile(job, &mem, "/d/ro.txt");
  ShredOneFile(job, &mem, "/d/locked.txt");

  EntryInfo info;
  EXPECT_FALSE(mem.Stat("/d/ro.txt", &info));
  EXPECT_EQ(Errors(), (ErrorList{{"/d/locked.txt", FOE_READ_FAILED}}));
  uint32_t attributes = 0;
  ASSERT_TRUE(mem.GetAttributes("/d/locked.txt", &attributes));
  EXPECT_TRUE(attributes & kAttrReadOnly);
  std::string data;
  ASSERT_TRUE(mem.ReadFile("/d/locked.txt", &data));
  EXPECT_EQ(data, Content(3000));
}

TEST_F(ShredOneFileTest, FileLockedByAnotherOpenIsReportedAndUntouched) {
  Prepare(SHRED_ZEROS);
  std::string path = Path("locked.txt");
  WriteBytes(path, Content(5000));
  OpenOptions lock;
  lock.share = Share::kExclusive;
  std::unique_ptr<File> holder = Env::Default()->Open(path, lock, nullptr);
  ASSERT_TRUE(holder);

  ShredOneFile(job, &env, path);

  EXPECT_EQ(Errors(), (ErrorList{{path, FOE_READ_FAILED}}));
  EXPECT_TRUE(Io(path).empty());
  EXPECT_EQ(ReadBytes(path), Content(5000));
  EXPECT_EQ(job.doneBytes, 0u);
}

TEST_F(ShredOneFileTest, WriteOrFlushFailureLeavesTheFileInPlaceAndIsReported) {
  struct Case {
    const char* name;
    std::function<void(FaultEnv&, const std::string&)> inject;
  };
  const Case cases[] = {
      {"disk full in the second pass",
       [](FaultEnv& f, const std::string& p) { f.FailWritesAfter(p, 300000); }},
      {"flush fails", [](FaultEnv& f, const std::string& p) { f.FailSync(p); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare(SHRED_US_MILITARY);
    {
      WriteAccess<ErrorList> queue(errors);
      queue->clear();
    }
    std::string path = Path("stays.bin");
    WriteBytes(path, Content(200000));
    c.inject(faults, path);

    ShredOneFile(job, &env, path);

    EXPECT_EQ(Errors(), (ErrorList{{path, FOE_READ_FAILED}}));
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{"stays.bin"});
    EXPECT_EQ(std::filesystem::file_size(path), 200000u);
    EXPECT_TRUE(env.EventsOf(FsEvent::kRename).empty());
    faults.Reset();
  }
}

TEST_F(ShredOneFileTest, PauseTakesEffectAfterThePassAndAbortLeavesTheFileWithoutError) {
  const size_t size = 100000;
  Prepare(SHRED_US_MILITARY);
  std::string path = Path("paused.bin");
  WriteBytes(path, Content(size));
  std::atomic<bool> paused{false};
  env.before = [&](const FsEvent& event) {
    if (event.kind == FsEvent::kWrite && !paused.exchange(true)) job.command = JOB_PAUSED;
  };

  std::thread worker([&] { ShredOneFile(job, &env, path); });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (job.state != JOB_PAUSED && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_EQ(job.state, JOB_PAUSED);
  std::string afterFirstPass = ReadBytes(path);
  job.command = JOB_STOPPED;
  worker.join();

  EXPECT_EQ(afterFirstPass, std::string(size, '\0')) << "the pass under way completes";
  EXPECT_EQ(ReadBytes(path), std::string(size, '\0')) << "no later pass is written";
  EXPECT_EQ(job.doneBytes, size);
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(env.EventsOf(FsEvent::kRename).empty());
  EXPECT_EQ(Names(dir.path()), std::set<std::string>{"paused.bin"});
}

TEST_F(ShredOneFileTest, EntriesUnderWorkingAndChurnNamesAreNeverTouched) {
  Prepare(SHRED_ZEROS);
  std::string churnFile = "A" + std::string(31, '$');
  std::string churnFolder = "Zq" + std::string(30, '$');
  WriteBytes(Path(kDollars), "working name taken");
  WriteBytes(Path(churnFile), "churn name taken");
  std::filesystem::create_directory(Path(churnFolder));
  WriteBytes(Path(churnFolder) + "/inside", "kept");
  std::string path = Path("victim");
  WriteBytes(path, Content(10));

  ShredOneFile(job, &env, path);

  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{kDollars, churnFile, churnFolder}));
  EXPECT_EQ(ReadBytes(Path(kDollars)), "working name taken");
  EXPECT_EQ(ReadBytes(Path(churnFile)), "churn name taken");
  EXPECT_EQ(ReadBytes(Path(churnFolder) + "/inside"), "kept");
  std::vector<FsEvent> renames = env.EventsOf(FsEvent::kRename);
  ASSERT_FALSE(renames.empty());
  EXPECT_TRUE(renames.back().ok);
  EXPECT_EQ(BaseName(renames.back().to).size(), 32u);
  EXPECT_NE(renames.back().to, Path(kDollars));
}

TEST_F(ShredOneFileTest, FailedRenameStillDeletesTheOverwrittenFile) {
  Prepare(SHRED_ZEROS);
  std::string path = Path("unmovable");
  WriteBytes(path, Content(100));
  faults.FailRename("");

  ShredOneFile(job, &env, path);

  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Names(dir.path()).empty());
}

TEST_F(ShredOneFileTest, WorkingNameBeyondThePathLimitSkipsRenameAndChurnButDeletes) {
  Prepare(SHRED_ZEROS);
  // A folder so deep that a 32-character name no longer fits beside a 1-character one.
  std::string folder = dir.path();
  while (folder.size() + 251 < 4080) folder += "/" + std::string(250, 'd');
  folder += "/" + std::string(4080 - folder.size() - 1, 'e');
  ASSERT_EQ(folder.size(), 4080u);
  std::filesystem::create_directories(folder);
  std::string path = folder + "/f";
  WriteBytes(path, Content(100));
  ASSERT_TRUE(PathFits(path));
  ASSERT_FALSE(WorkingNameFits(path));

  ShredOneFile(job, &env, path);

  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Names(folder).empty());
  EXPECT_TRUE(env.EventsOf(FsEvent::kRename).empty());
  EXPECT_EQ(env.EventsOf(FsEvent::kOpen).size(), 1u) << "no churn file is created";
}

}  // namespace
}  // namespace nv
