// Reading images back: password and header checks, what existing entries
// at the targets do, failures inside files, and abort.
#include <gtest/gtest.h>

#include <map>

#include "backup/backup_job.h"
#include "backup/image_format.h"
#include "backup/image_reader.h"
#include "platform/fault_env.h"
#include "tests/backup/backup_test_util.h"

namespace nv {
namespace {

using test::Failures;
using Tree = std::map<std::string, std::string>;

constexpr const char* kPassword = "secret-1";
constexpr const char* kImage = "/img/saved.dfi";

class RecoveryJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mem.MakeDirs("/img"));
    ASSERT_TRUE(mem.MakeDirs("/dest"));
    ASSERT_TRUE(mem.MakeDirs("/outside"));
    ASSERT_TRUE(mem.WriteFile("/outside/victim.txt", "untouched"));
    job.pauseSleepMs = 5;
  }

  void Store(const std::string& bytes, const std::string& image = kImage) {
    ASSERT_TRUE(mem.WriteFile(image, bytes));
  }

  // A folder with a two-block file between two small files.
  std::string Sample() {
    return test::ImageBuilder(kPassword)
        .Folder(u"Docs")
        .File(u"Docs\\first.txt", "first")
        .File(u"Docs\\big.bin", test::Pattern(65536 + 100, 1))
        .File(u"Docs\\after.txt", "after", 0x01)
        .bytes();
  }

  Failures Recover(const std::string& password = kPassword, Env* env = nullptr,
                   const std::string& image = kImage) {
    EXPECT_TRUE(test::RunRecovery(job, env ? env : &mem, image, "/dest", password, &errors));
    return test::Drain(errors);
  }

  MemEnv mem;
  BackupJob job;
  ErrorQueue errors;
};

TEST_F(RecoveryJobTest, RestoresFilesWithTheirAttributesAndProgress) {
  Store(Sample());
  EXPECT_EQ(Recover(), Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/dest"), (Tree{{"Docs", "<dir>"},
                                                {"Docs/first.txt", "first"},
                                                {"Docs/big.bin", test::Pattern(65636, 1)},
                                                {"Docs/after.txt", "after <ro>"}}));
  EXPECT_EQ(job.doneBytes, job.totalBytes);
  EXPECT_EQ(job.totalBytes, Sample().size());
  EXPECT_EQ(job.createdFiles.size(), 3u);
  EXPECT_EQ(mem.OpenFileCount(), 0u);
}

TEST_F(RecoveryJobTest, ImagesThatCannotBeReadRestoreNothing) {
  std::string good = Sample();
  std::string badVersion = good;
  badVersion[4] = 2;
  struct Case {
    const char* name;
    std::string path;
    std::string bytes;  // stored at path unless empty
    FILE_OPERATION_ERROR expected;
  };
  const Case cases[] = {
      {"missing", "/img/none.dfi", "", FOE_NOT_FOUND},
      {"upper-case extension", "/img/saved.DFI", good, FOE_BAD_FORMAT},
      {"other extension", "/img/saved.dfc", good, FOE_BAD_FORMAT},
      {"wrong magic", "/img/m.dfi", "\x5F\xC9\x5B\xD7" + good.substr(4), FOE_BAD_FORMAT},
      {"three bytes", "/img/3.dfi", good.substr(0, 3), FOE_BAD_FORMAT},
      {"short header", "/img/h.dfi", good.substr(0, 79), FOE_BAD_FORMAT},
      {"version 2", "/img/v.dfi", badVersion, FOE_BAD_FORMAT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.bytes.empty()) Store(c.bytes, c.path);
    EXPECT_EQ(Recover(kPassword, &mem, c.path), (Failures{{c.path, c.expected}}));
    EXPECT_EQ(test::Snapshot(mem, "/dest"), Tree{});
  }
  ASSERT_TRUE(mem.MakeDirs("/img/folder.dfi"));
  EXPECT_EQ(Recover(kPassword, &mem, "/img/folder.dfi"), (Failures{{"/img/folder.dfi", FOE_BAD_FORMAT}}));
}

TEST_F(RecoveryJobTest, WrongPasswordCreatesNothingAtAll) {
  Store(Sample());
  for (const char* password : {"secret-2", "secret-", "secret-12", ""}) {
    EXPECT_EQ(Recover(password), (Failures{{kImage, FOE_BAD_PASSWORD}})) << password;
    EXPECT_EQ(test::Snapshot(mem, "/dest"), Tree{});
  }
}

TEST_F(RecoveryJobTest, UnreadableImageIsAReadFailure) {
  Store(Sample());
  FaultEnv fault(&mem);
  fault.FailOpen(kImage, FsError::kAccessDenied);
  EXPECT_EQ(Recover(kPassword, &fault), (Failures{{kImage, FOE_BAD_FORMAT}}));  // not even its magic
  fault.Reset();
  fault.FailReadsAfter(kImage, 40);
  EXPECT_EQ(Recover(kPassword, &fault), (Failures{{kImage, FOE_READ_FAILED}}));
  EXPECT_EQ(test::Snapshot(mem, "/dest"), Tree{});
  // A read that fails between entries is not the end of the image.
  fault.Reset();
  fault.FailReadsAfter(kImage, 80 + 532 + 100);
  EXPECT_EQ(Recover(kPassword, &fault), (Failures{{kImage, FOE_READ_FAILED}}));
  EXPECT_EQ(test::Snapshot(mem, "/dest"), (Tree{{"Docs", "<dir>"}}));
}

TEST_F(RecoveryJobTest, HeaderAloneRestoresNothingAndSucceeds) {
  Store(test::ImageBuilder(kPassword).bytes());
  EXPECT_EQ(Recover(), Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/dest"), Tree{});
}

TEST_F(RecoveryJobTest, SecondRecoveryReusesFoldersAndReplacesFiles) {
  Store(Sample());
  ASSERT_EQ(Recover(), Failures{});
  ASSERT_TRUE(mem.WriteFile("/dest/Docs/first.txt", "edited since"));
  ASSERT_TRUE(mem.WriteFile("/dest/Docs/mine.txt", "not in the image"));
  mem.SetAttributes("/dest/Docs/after.txt", 0);  // read-only files refuse to be replaced
  EXPECT_EQ(Recover(), Failures{});
  Tree tree = test::Snapshot(mem, "/dest");
  EXPECT_EQ(tree["Docs/first.txt"], "first");
  EXPECT_EQ(tree["Docs/mine.txt"], "not in the image");
}

TEST_F(RecoveryJobTest, EmptyRelativePathIsTheDestinationItself) {
  Store(test::ImageBuilder(kPassword).Folder(u"").File(u"a.txt", "root file").bytes());
  EXPECT_EQ(Recover(), Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/dest"), (Tree{{"a.txt", "root file"}}));
}

TEST_F(RecoveryJobTest, ExistingEntriesThatAreNotWhatTheImageSaysStopTheRecovery) {
  struct Case {
    const char* name;
    std::string image;
    std::function<void()> prepare;
    FILE_OPERATION_ERROR expected;
  };
  const Case cases[] = {
      {"file where a folder goes", test::ImageBuilder(kPassword).Folder(u"Docs").File(u"Docs\\x", "x").bytes(),
       [this] { mem.WriteFile("/dest/Docs", "a file"); }, FOE_BAD_FORMAT},
      {"link where a folder goes", test::ImageBuilder(kPassword).Folder(u"Docs").File(u"Docs\\victim.txt", "x").bytes(),
       [this] { mem.MakeSymlink("/dest/Docs", "/outside"); }, FOE_BAD_FORMAT},
      {"link on the way to a file", test::ImageBuilder(kPassword).File(u"Docs\\victim.txt", "x").bytes(),
       [this] { mem.MakeSymlink("/dest/Docs", "/outside"); }, FOE_CREATE_FAILED},
      {"link at the file", test::ImageBuilder(kPassword).File(u"victim.txt", "x").File(u"next.txt", "n").bytes(),
       [this] { mem.MakeSymlink("/dest/victim.txt", "/outside/victim.txt"); }, FOE_CREATE_FAILED},
      {"read-only file", test::ImageBuilder(kPassword).File(u"ro.txt", "x").File(u"next.txt", "n").bytes(),
       [this] { mem.WriteFile("/dest/ro.txt", "old", 0444); }, FOE_CREATE_FAILED},
      {"folder where a file goes", test::ImageBuilder(kPassword).File(u"sub", "x").File(u"next.txt", "n").bytes(),
       [this] { mem.MakeDirs("/dest/sub"); }, FOE_CREATE_FAILED},
      {"file without its folder", test::ImageBuilder(kPassword).File(u"none\\x.txt", "x").bytes(), [] {},
       FOE_CREATE_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(mem.MakeDirs("/fresh"));
    FsError ignored;
    mem.Rename("/dest", "/old-" + std::string(c.name), &ignored);
    mem.Rename("/fresh", "/dest", &ignored);
    c.prepare();
    Tree before = test::Snapshot(mem, "/dest");
    Store(c.image);
    EXPECT_EQ(Recover(), (Failures{{kImage, c.expected}}));
    EXPECT_EQ(test::Snapshot(mem, "/dest"), before);  // the recovery stopped there
    EXPECT_EQ(test::Snapshot(mem, "/outside"), (Tree{{"victim.txt", "untouched"}}));
  }
}

TEST_F(RecoveryJobTest, WriteFailureEndsThatFileOnlyAndSkipsItsBlocks) {
  Store(Sample());
  FaultEnv fault(&mem);
  fault.FailWritesAfter("/dest/Docs/big.bin", 1000);
  EXPECT_EQ(Recover(kPassword, &fault), (Failures{{kImage, FOE_WRITE_FAILED}}));
  Tree tree = test::Snapshot(mem, "/dest");
  EXPECT_EQ(tree["Docs/big.bin"], test::Pattern(1000, 1));
  EXPECT_EQ(tree["Docs/after.txt"], "after <ro>");
}

TEST_F(RecoveryJobTest, BlockThatDoesNotDecompressEndsThatFileOnly) {
  std::string bytes = Sample();
  test::ParsedImage parsed;
  ASSERT_TRUE(test::ParseImage(bytes, &parsed));
  ASSERT_EQ(parsed.entries[2].path, u"Docs\\big.bin");
  bytes[parsed.entries[2].blocks[0].offset + 16 + 40] ^= 0x55;
  Store(bytes);
  EXPECT_EQ(Recover(), (Failures{{kImage, FOE_BAD_FORMAT}}));
  Tree tree = test::Snapshot(mem, "/dest");
  EXPECT_EQ(tree["Docs/big.bin"], "");
  EXPECT_EQ(tree["Docs/after.txt"], "after <ro>");
}

TEST_F(RecoveryJobTest, ImageEndingInsideAFileKeepsItsWholeBlocksWithoutError) {
  std::string bytes = Sample();
  test::ParsedImage parsed;
  ASSERT_TRUE(test::ParseImage(bytes, &parsed));
  Store(bytes.substr(0, parsed.entries[2].blocks[1].offset));
  EXPECT_EQ(Recover(), Failures{});
  EXPECT_EQ(test::Snapshot(mem, "/dest")["Docs/big.bin"], test::Pattern(65536, 1));
}

TEST_F(RecoveryJobTest, AbortStopsAtTheNextEntryAndDeletesRestoredFiles) {
  test::HookEnv hooked;
  ASSERT_TRUE(hooked.MakeDirs("/img"));
  ASSERT_TRUE(hooked.MakeDirs("/dest"));
  ASSERT_TRUE(hooked.WriteFile("/dest/mine.txt", "the user's"));
  ASSERT_TRUE(hooked.WriteFile(kImage, test::ImageBuilder(kPassword)
                                           .Folder(u"Docs")
                                           .File(u"Docs\\ro.txt", "ro", 0x01)
                                           .File(u"Docs\\b.txt", "b")
                                           .File(u"Docs\\c.txt", "c")
                                           .bytes()));
  hooked.onOpen = [this](const std::string& path) {
    if (path == "/dest/Docs/b.txt") job.command = JOB_STOPPED;
  };
  EXPECT_EQ(Recover(kPassword, &hooked), Failures{});
  EXPECT_EQ(test::Snapshot(hooked, "/dest"), (Tree{{"Docs", "<dir>"}, {"mine.txt", "the user's"}}));
  EXPECT_TRUE(job.createdFiles.empty());
}

TEST_F(RecoveryJobTest, EntryNamingTheImageCannotTruncateIt) {
  const std::string image = "/dest/saved.dfi";
  std::string bytes = test::ImageBuilder(kPassword).File(u"saved.dfi", "overwritten").bytes();
  Store(bytes, image);
  EXPECT_EQ(Recover(kPassword, &mem, image), (Failures{{image, FOE_CREATE_FAILED}}));
  std::string kept;
  ASSERT_TRUE(mem.ReadFile(image, &kept));
  EXPECT_EQ(kept, bytes);
}

TEST(IsBackupImage, NeedsTheExactExtensionAndTheMagic) {
  MemEnv mem;
  ASSERT_TRUE(mem.MakeDirs("/i"));
  std::string header = test::ImageBuilder("pw").bytes();
  for (const char* name : {"/i/a.dfi", "/i/.dfi", "/i/a.DFI", "/i/a.dfi.bak", "/i/short.dfi"})
    ASSERT_TRUE(mem.WriteFile(name, std::string(name) == "/i/short.dfi" ? header.substr(0, 3) : header));
  EXPECT_TRUE(IsBackupImage(&mem, "/i/a.dfi"));
  EXPECT_TRUE(IsBackupImage(&mem, "/i/.dfi"));
  EXPECT_FALSE(IsBackupImage(&mem, "/i/a.DFI"));
  EXPECT_FALSE(IsBackupImage(&mem, "/i/a.dfi.bak"));
  EXPECT_FALSE(IsBackupImage(&mem, "/i/short.dfi"));
  EXPECT_FALSE(IsBackupImage(&mem, "/i/none.dfi"));
  EXPECT_FALSE(IsBackupImage(&mem, "dfi"));
}

}  // namespace
}  // namespace nv
