// Writing images: what lands in the image, in which order, and what a
// failure of an item or of the image itself leaves behind.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "platform/clock.h"
#include "platform/fault_env.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

using test::Failures;

constexpr const char* kPassword = "secret-1";
constexpr const char* kImage = "/out/new.dfi";

class BackupJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mem.MakeDirs("/src/Docs/sub \xC3\xBC/deeper"));
    ASSERT_TRUE(mem.MakeDirs("/out"));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/a.txt", "hello, image\n"));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/empty.bin", ""));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/sub \xC3\xBC/big.bin", test::Pattern(65537, 1)));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/sub \xC3\xBC/deeper/three.bin", test::Pattern(3 * 65536, 2)));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/sub \xC3\xBC/readonly.txt", "keep me", 0444));
    ASSERT_TRUE(mem.WriteFile("/src/Docs/.hidden", "dot"));
    ASSERT_TRUE(mem.WriteFile("/src/top \xE2\x9C\x93.txt", test::Pattern(1000, 3)));
    job.pauseSleepMs = 5;
  }

  bool Backup(const std::vector<std::string>& items, Env* env = nullptr) {
    return test::RunBackup(job, env ? env : &mem, items, kImage, kPassword, &errors);
  }

  test::ParsedImage Parse(const std::string& image = kImage) {
    std::string bytes;
    EXPECT_TRUE(mem.ReadFile(image, &bytes));
    test::ParsedImage parsed;
    EXPECT_TRUE(test::ParseImage(bytes, &parsed));
    return parsed;
  }

  std::vector<std::u16string> Paths(const test::ParsedImage& image) {
    std::vector<std::u16string> paths;
    for (const auto& entry : image.entries) paths.push_back(entry.path);
    return paths;
  }

  std::map<std::string, std::string> Restored() {
    mem.MakeDirs("/restore");
    EXPECT_TRUE(test::RunRecovery(job, &mem, kImage, "/restore", kPassword, &errors));
    EXPECT_EQ(test::Drain(errors), Failures{});
    return test::Snapshot(mem, "/restore");
  }

  MemEnv mem;
  BackupJob job;
  ErrorQueue errors;
};

TEST_F(BackupJobTest, TreeRestoresExactlyWithItsReadOnlyBit) {
  ASSERT_TRUE(Backup({"/src/Docs", "/src/top \xE2\x9C\x93.txt"}));
  EXPECT_EQ(test::Drain(errors), Failures{});
  EXPECT_EQ(job.doneBytes, job.totalBytes);
  EXPECT_EQ(job.totalBytes, 13u + 65537 + 3 * 65536 + 7 + 3 + 1000);
  EXPECT_EQ(job.percent, 100.0);
  EXPECT_EQ(job.createdFiles, std::vector<std::string>{kImage});

  std::map<std::string, std::string> expected = test::Snapshot(mem, "/src");
  std::map<std::string, std::string> restored = Restored();
  EXPECT_EQ(restored, expected);
  EXPECT_EQ(restored["Docs/sub \xC3\xBC/readonly.txt"], "keep me <ro>");
}

TEST_F(BackupJobTest, ItemsAreStoredDepthFirstWithTheirBlocks) {
  ASSERT_TRUE(Backup({"/src/top \xE2\x9C\x93.txt", "/src/Docs"}));
  test::ParsedImage image = Parse();
  EXPECT_EQ(Paths(image), (std::vector<std::u16string>{
                              u"top \u2713.txt",
                              u"Docs",
                              u"Docs\\.hidden",
                              u"Docs\\a.txt",
                              u"Docs\\empty.bin",
                              u"Docs\\sub \u00fc",
                              u"Docs\\sub \u00fc\\big.bin",
                              u"Docs\\sub \u00fc\\deeper",
                              u"Docs\\sub \u00fc\\deeper\\three.bin",
                              u"Docs\\sub \u00fc\\readonly.txt",
                          }));
  struct Expect {
    uint32_t kind, attributes;
    std::vector<uint32_t> rawSizes;
  };
  const Expect expected[] = {
      {1, 0x20, {1000}},         {0, 0x10, {}},           {1, 0x02, {3}},
      {1, 0x20, {13}},           {1, 0x20, {0}},          {0, 0x10, {}},
      {1, 0x20, {65536, 1}},     {0, 0x10, {}},           {1, 0x20, {65536, 65536, 65536}},
      {1, 0x01, {7}},
  };
  ASSERT_EQ(image.entries.size(), std::size(expected));
  for (size_t i = 0; i < image.entries.size(); ++i) {
    const test::ParsedEntry& entry = image.entries[i];
    EXPECT_EQ(entry.magic, DFI_MAGIC);
    EXPECT_TRUE(entry.pathZeroAfterTerminator);
    EXPECT_EQ(entry.kind, expected[i].kind) << i;
    EXPECT_EQ(entry.attributes, expected[i].attributes) << i;
    std::vector<uint32_t> rawSizes;
    for (size_t b = 0; b < entry.blocks.size(); ++b) {
      const test::ParsedBlock& block = entry.blocks[b];
      rawSizes.push_back(block.rawSize);
      EXPECT_EQ(block.magic, DFI_MAGIC);
      EXPECT_EQ(block.last, b + 1 == entry.blocks.size() ? 1u : 0u);
      EXPECT_LE(block.storedSize, 78655u);
    }
    EXPECT_EQ(rawSizes, expected[i].rawSizes) << i;
  }
}

TEST_F(BackupJobTest, EmptyFileImageHasTheDocumentedSize) {
  ASSERT_TRUE(Backup({"/src/Docs/empty.bin"}));
  std::string bytes;
  ASSERT_TRUE(mem.ReadFile(kImage, &bytes));
  ASSERT_EQ(bytes.size(), 80u + 532 + 16 + 8);  // the zlib stream of nothing is 8 bytes
  EXPECT_EQ(test::Le32(bytes, 612 + 4), 0u);
  EXPECT_EQ(test::Le32(bytes, 612 + 8), 8u);
  EXPECT_EQ(test::Le32(bytes, 612 + 12), 1u);
}

TEST_F(BackupJobTest, SameDataGivesTheSameImageButForTheTime) {
  ASSERT_TRUE(Backup({"/src/Docs"}));
  std::string first, second;
  ASSERT_TRUE(mem.ReadFile(kImage, &first));
  ASSERT_TRUE(Backup({"/src/Docs"}));
  ASSERT_TRUE(mem.ReadFile(kImage, &second));
  ASSERT_EQ(first.size(), second.size());
  first.replace(16, 8, 8, '\0');
  second.replace(16, 8, 8, '\0');
  EXPECT_EQ(first, second);
}

TEST_F(BackupJobTest, IncompressibleBlocksStayWithinTheStoredLimit) {
  std::string noise = test::Noise(2 * 65536 + 5, 7);
  ASSERT_TRUE(mem.WriteFile("/src/noise.bin", noise));
  ASSERT_TRUE(Backup({"/src/noise.bin"}));
  test::ParsedImage image = Parse();
  ASSERT_EQ(image.entries.size(), 1u);
  ASSERT_EQ(image.entries[0].blocks.size(), 3u);
  EXPECT_GT(image.entries[0].blocks[0].storedSize, 65536u);
  EXPECT_LE(image.entries[0].blocks[0].storedSize, 78655u);
  EXPECT_EQ(Restored()["noise.bin"], noise);
}

TEST_F(BackupJobTest, FailedItemsAreReportedAndTheRestIsStored) {
  ASSERT_TRUE(mem.WriteFile("/src/Docs/we\\ird.txt", "x"));
  ASSERT_TRUE(mem.MakeDirs("/src/Docs/back\\slash"));
  ASSERT_TRUE(mem.WriteFile("/src/Docs/back\\slash/inside.txt", "lost with its folder"));
  ASSERT_TRUE(mem.WriteFile("/src/Docs/bad\xFFname", "x"));
  ASSERT_TRUE(mem.MakeSymlink("/src/Docs/link", "/etc"));
  ASSERT_TRUE(mem.MakeSpecial("/src/Docs/fifo"));
  ASSERT_TRUE(mem.MakeSymlink("/src/toplink", "/src/Docs/a.txt"));
  ASSERT_TRUE(mem.WriteFile("/src/locked.txt", "x"));
  FaultEnv fault(&mem);
  fault.FailOpen("/src/locked.txt", FsError::kAccessDenied);

  ASSERT_TRUE(Backup({"/src/missing", "/src/Docs", "/src/toplink", "/src/locked.txt"}, &fault));
  EXPECT_EQ(test::Drain(errors), (Failures{
                                     {"/src/missing", FOE_NOT_FOUND},
                                     {"/src/Docs/back\\slash", FOE_BAD_FORMAT},
                                     {"/src/Docs/bad\xFFname", FOE_BAD_FORMAT},
                                     {"/src/Docs/we\\ird.txt", FOE_BAD_FORMAT},
                                     {"/src/toplink", FOE_READ_FAILED},
                                     {"/src/locked.txt", FOE_READ_FAILED},
                                 }));
  // Nothing of the failed items is in the image; links and special entries are not followed.
  for (const std::u16string& path : Paths(Parse()))
    EXPECT_TRUE(path.find(u"link") == std::u16string::npos && path.find(u"fifo") == std::u16string::npos &&
                path.find(u"locked") == std::u16string::npos && path.find(u"slash") == std::u16string::npos)
        << std::string(path.begin(), path.end());
  EXPECT_EQ(Restored()["Docs/sub \xC3\xBC/big.bin"], test::Pattern(65537, 1));
}

TEST_F(BackupJobTest, PathsOverTheLimitAreSkippedAlone) {
  std::string folder = "/src/Long";
  for (int i = 0; i < 4; ++i) folder += "/" + std::string(60, 'a' + i);  // 4 + 4 * 61 = 248 units
  ASSERT_TRUE(mem.MakeDirs(folder));
  ASSERT_TRUE(mem.WriteFile(folder + "/fits.txt", "ok"));          // 248 + 9 = 257 units
  ASSERT_TRUE(mem.WriteFile(folder + "/is-too-long.txt", "no"));   // 248 + 16 = 264 units
  ASSERT_TRUE(Backup({"/src/Long"}));
  EXPECT_EQ(test::Drain(errors), (Failures{{folder + "/is-too-long.txt", FOE_BAD_FORMAT}}));
  std::map<std::string, std::string> restored = Restored();
  EXPECT_EQ(restored.size(), 6u);
  EXPECT_EQ(restored["Long" + folder.substr(9) + "/fits.txt"], "ok");
}

TEST_F(BackupJobTest, FileThatFailsPartWayEndsWithAFinalBlock) {
  ASSERT_TRUE(mem.WriteFile("/src/Docs/a.txt", test::Pattern(200000, 9)));
  FaultEnv fault(&mem);
  fault.FailReadsAfter("/src/Docs/a.txt", 70000);
  ASSERT_TRUE(Backup({"/src/Docs"}, &fault));
  EXPECT_EQ(test::Drain(errors), (Failures{{"/src/Docs/a.txt", FOE_READ_FAILED}}));
  test::ParsedImage image = Parse();
  ASSERT_EQ(image.entries[2].path, u"Docs\\a.txt");
  ASSERT_EQ(image.entries[2].blocks.size(), 1u);
  EXPECT_EQ(image.entries[2].blocks[0].last, 1u);
  EXPECT_EQ(job.doneBytes, job.totalBytes);  // a failed file still counts in full

  std::map<std::string, std::string> restored = Restored();
  EXPECT_EQ(restored["Docs/a.txt"], test::Pattern(65536, 9));
  EXPECT_EQ(restored["Docs/sub \xC3\xBC/big.bin"], test::Pattern(65537, 1));
}

TEST_F(BackupJobTest, ImageFailuresLeaveNoImageAndKeepTheEarlierOne) {
  ASSERT_TRUE(mem.WriteFile("/src/noise.bin", test::Noise(3 * 65536, 5)));
  struct Case {
    const char* name;
    std::function<void(FaultEnv&)> fault;
    Failures expected;
  };
  const Case cases[] = {
      {"cannot create", [](FaultEnv& f) { f.FailOpen(".part", FsError::kAccessDenied); },
       {{kImage, FOE_CREATE_FAILED}}},
      {"header cut short", [](FaultEnv& f) { f.FailWritesAfter(".part", 40); }, {{kImage, FOE_CREATE_FAILED}}},
      {"disk fills at an entry", [](FaultEnv& f) { f.FailWritesAfter(".part", 80 + 10); },
       {{"/src/noise.bin", FOE_WRITE_FAILED}, {kImage, FOE_WRITE_FAILED}}},
      {"disk fills in a file", [](FaultEnv& f) { f.FailWritesAfter(".part", 80 + 532 + 100000); },
       {{"/src/noise.bin", FOE_WRITE_FAILED}, {kImage, FOE_WRITE_FAILED}}},
      {"flush fails", [](FaultEnv& f) { f.FailSync(".part"); }, {{kImage, FOE_WRITE_FAILED}}},
      {"move fails", [](FaultEnv& f) { f.FailRename(".part"); }, {{kImage, FOE_CREATE_FAILED}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(mem.WriteFile(kImage, "the earlier image"));
    FaultEnv fault(&mem);
    c.fault(fault);
    ASSERT_TRUE(Backup({"/src/noise.bin", "/src/Docs"}, &fault));
    EXPECT_EQ(test::Drain(errors), c.expected);
    EXPECT_EQ(test::Snapshot(mem, "/out"), (std::map<std::string, std::string>{{"new.dfi", "the earlier image"}}));
    EXPECT_TRUE(job.createdFiles.empty());
    EXPECT_EQ(mem.OpenFileCount(), 0u);
  }
}

TEST_F(BackupJobTest, ImagePathThatIsAFolderIsNotReplaced) {
  ASSERT_TRUE(mem.MakeDirs(kImage));
  ASSERT_TRUE(Backup({"/src/Docs"}));
  EXPECT_EQ(test::Drain(errors), (Failures{{kImage, FOE_CREATE_FAILED}}));
  EXPECT_EQ(test::Snapshot(mem, "/out"), (std::map<std::string, std::string>{{"new.dfi", "<dir>"}}));
}

TEST_F(BackupJobTest, ImageInsideTheBackedUpFolderDoesNotStoreItself) {
  const std::string image = "/src/Docs/self.dfi";
  ASSERT_TRUE(test::RunBackup(job, &mem, {"/src/Docs"}, image, kPassword, &errors));
  EXPECT_EQ(test::Drain(errors), Failures{});
  for (const std::u16string& path : Paths(Parse(image)))
    EXPECT_EQ(path.find(u"self"), std::u16string::npos);
}

TEST_F(BackupJobTest, AbortLeavesNothingBehindAndQueuesNothing) {
  test::HookEnv hooked;
  ASSERT_TRUE(hooked.MakeDirs("/src/Docs"));
  ASSERT_TRUE(hooked.MakeDirs("/out"));
  for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(hooked.WriteFile(std::string("/src/Docs/") + name, "data"));
  ASSERT_TRUE(hooked.WriteFile(kImage, "the earlier image"));
  hooked.onOpen = [this](const std::string& path) {
    if (path == "/src/Docs/b") job.command = JOB_STOPPED;
  };
  ASSERT_TRUE(test::RunBackup(job, &hooked, {"/src/Docs"}, kImage, kPassword, &errors));
  EXPECT_EQ(test::Drain(errors), Failures{});
  EXPECT_EQ(test::Snapshot(hooked, "/out"), (std::map<std::string, std::string>{{"new.dfi", "the earlier image"}}));
  EXPECT_TRUE(job.createdFiles.empty());
  EXPECT_EQ(job.state, JOB_STOPPED);
}

TEST_F(BackupJobTest, PauseHoldsTheWorkerAtABlockBoundaryUntilResumed) {
  test::HookEnv hooked;
  ASSERT_TRUE(hooked.MakeDirs("/src"));
  ASSERT_TRUE(hooked.MakeDirs("/out"));
  ASSERT_TRUE(hooked.WriteFile("/src/big.bin", test::Pattern(4 * 65536, 4)));
  hooked.onOpen = [this](const std::string& path) {
    if (path == "/src/big.bin") job.command = JOB_PAUSED;
  };
  ASSERT_TRUE(PrepareBackupJob(job, &hooked, true, {"/src/big.bin"}, kImage, "", kPassword, &errors));
  ASSERT_TRUE(LaunchWorker(job, [this, &hooked] { BackupThread(job, &hooked); }));
  for (int i = 0; i < 2000 && job.state != JOB_PAUSED; ++i) SleepMs(1);
  ASSERT_EQ(job.state, JOB_PAUSED);
  uint64_t held = job.doneBytes;
  EXPECT_EQ(held, 65536u);
  SleepMs(50);
  EXPECT_EQ(job.doneBytes, held);
  job.command = JOB_RUNNING;
  JoinWorker(job);
  EXPECT_EQ(test::Drain(errors), Failures{});
  EXPECT_EQ(job.doneBytes, 4u * 65536);
}

TEST_F(BackupJobTest, PreparationRefusesWithoutChangingTheJob) {
  ASSERT_TRUE(PrepareBackupJob(job, &mem, true, {"/src/Docs"}, kImage, "", kPassword, &errors));
  const std::string longPassword(17, 'p');
  EXPECT_FALSE(PrepareBackupJob(job, &mem, true, {}, "/out/x.dfi", "", kPassword, &errors));
  EXPECT_FALSE(PrepareBackupJob(job, &mem, true, {"/src"}, "", "", kPassword, &errors));
  EXPECT_FALSE(PrepareBackupJob(job, &mem, true, {"/src"}, "/out/x.dfi", "", longPassword, &errors));
  EXPECT_FALSE(PrepareBackupJob(job, &mem, false, {}, "/out/x.dfi", "", kPassword, &errors));
  job.state = JOB_PAUSED;
  EXPECT_FALSE(PrepareBackupJob(job, &mem, true, {"/src"}, "/out/x.dfi", "", kPassword, &errors));
  job.state = JOB_STOPPED;
  EXPECT_EQ(job.imagePath, kImage);
  EXPECT_EQ(job.items, std::vector<std::string>{"/src/Docs"});
  EXPECT_TRUE(PrepareBackupJob(job, &mem, true, {"/src"}, "/out/x.dfi", "", std::string(16, 'p'), &errors));
  EXPECT_EQ(job.passwordLength, 16u);
}

TEST_F(BackupJobTest, EmptyFilesOnlyKeepTheProgressAtZero) {
  ASSERT_TRUE(Backup({"/src/Docs/empty.bin"}));
  EXPECT_EQ(job.totalBytes, 0u);
  EXPECT_EQ(job.percent, 0.0);
}

}  // namespace
}  // namespace nv
