// The encrypt and decrypt job: whole items, completion, abort and failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "core/file_utils.h"
#include "crypt/crypto_job.h"
#include "crypt/monitor_list.h"
#include "platform/clock.h"
#include "platform/fault_env.h"
#include "tests/crypt/crypt_test_util.h"

namespace nv {
namespace {

using testing::Exists;
using testing::ListNames;
using testing::RandomBytes;
using testing::ReadBytes;
using testing::WriteBytes;

using Failures = std::deque<std::pair<std::string, FILE_OPERATION_ERROR>>;
constexpr const char* kPassword = "tree-password";

class CryptoJobTest : public ::testing::Test {
 protected:
  CryptoJobTest() : env_(Env::Default()), fixture_(&env_) { job().pauseSleepMs = 5; }
  CCoreManager& manager() { return fixture_.manager(); }
  CryptoJob& job() { return manager().cryptoJob; }
  std::string Path(const std::string& name) { return fixture_.Path(name); }

  // A folder "tree" with files at three depths; returns name -> contents.
  std::map<std::string, std::string> MakeTree(size_t bigSize = 200000) {
    std::map<std::string, std::string> files = {
        {"tree/a.txt", "alpha"}, {"tree/sub/b.bin", RandomBytes(bigSize, 2)}, {"tree/sub/deep/c", ""}};
    for (const auto& [name, data] : files) WriteBytes(Path(name), data);
    return files;
  }
  uint32_t AddItem(const std::string& name) {
    return AddMonitorItem(manager(), Path(name), kPassword).value();
  }
  bool Run(uint32_t id, bool encrypt, const std::string& password = kPassword) {
    bool started = StartCryptoJob(manager(), id, encrypt, password, &errors_);
    JoinWorker(job());
    return started;
  }
  Failures TakeFailures() {
    Failures failures = errors_.value;
    errors_.value.clear();
    return failures;
  }
  void ExpectPlain(const std::map<std::string, std::string>& files) {
    for (const auto& [name, data] : files) {
      EXPECT_EQ(ReadBytes(Path(name)), data) << name;
      EXPECT_FALSE(Exists(Path(name + ".dfc"))) << name;
    }
  }
  void ExpectEncrypted(const std::map<std::string, std::string>& files) {
    for (const auto& [name, data] : files) {
      EXPECT_FALSE(Exists(Path(name))) << name;
      EXPECT_TRUE(Exists(Path(name + ".dfc"))) << name;
    }
  }

  FaultEnv env_;
  testing::ManagerFixture fixture_;
  ErrorQueue errors_;
};

TEST_F(CryptoJobTest, EncryptsAndDecryptsAWholeFolderItem) {
  auto files = MakeTree();
  uint32_t id = AddItem("tree");
  ASSERT_TRUE(Run(id, true));
  EXPECT_TRUE(TakeFailures().empty());
  ExpectEncrypted(files);
  EXPECT_EQ(job().state, JOB_STOPPED);
  EXPECT_EQ(job().command, JOB_STOPPED);
  EXPECT_EQ(job().doneBytes, job().totalBytes);
  EXPECT_DOUBLE_EQ(job().totalPercent, 100.0);
  EXPECT_TRUE(job().doneSources.empty());
  EXPECT_TRUE(HasEncryptedFiles(manager(), id));

  ASSERT_TRUE(Run(id, true)) << "the job runs and skips every encrypted file";
  EXPECT_TRUE(TakeFailures().empty());
  ExpectEncrypted(files);
  ASSERT_TRUE(Run(id, false));
  EXPECT_TRUE(TakeFailures().empty());
  ExpectPlain(files);
  EXPECT_FALSE(HasEncryptedFiles(manager(), id));
  EXPECT_FALSE(Run(id, false)) << "a folder without .dfc files";
}

TEST_F(CryptoJobTest, FileItemsDecryptTheirDfcFileAndNeverReplaceThePlainFile) {
  WriteBytes(Path("f.txt"), "original");
  uint32_t id = AddItem("f.txt");
  ASSERT_TRUE(Run(id, true));
  ExpectEncrypted({{"f.txt", ""}});

  WriteBytes(Path("f.txt"), "a new file of the same name");
  ASSERT_TRUE(Run(id, false));
  EXPECT_EQ(TakeFailures(), (Failures{{Path("f.txt.dfc"), FOE_CREATE_FAILED}}));
  EXPECT_EQ(ReadBytes(Path("f.txt")), "a new file of the same name");
  EXPECT_TRUE(Exists(Path("f.txt.dfc")));

  std::filesystem::remove(Path("f.txt"));
  ASSERT_TRUE(Run(id, false));
  EXPECT_TRUE(TakeFailures().empty());
  ExpectPlain({{"f.txt", "original"}});
}

TEST_F(CryptoJobTest, RefusesToStartWithoutAnythingToDo) {
  WriteBytes(Path("f"), "data");
  uint32_t file = AddItem("f");
  uint32_t missing = AddItem("gone");
  EXPECT_FALSE(Run(99, true)) << "no such item";
  EXPECT_FALSE(Run(missing, true)) << "no file";
  EXPECT_FALSE(Run(file, false)) << "no .dfc file";
  ASSERT_TRUE(Run(file, true));
  EXPECT_FALSE(Run(file, false, "seventeen-bytes-x")) << "password above 16 bytes";
  EXPECT_TRUE(Exists(Path("f.dfc")));
}

TEST_F(CryptoJobTest, AStartWhileRunningOrPausedIsRefusedAndChangesNothing) {
  auto files = MakeTree(2000000);
  uint32_t id = AddItem("tree");
  ASSERT_TRUE(StartCryptoJob(manager(), id, true, "", &errors_));
  job().command = JOB_PAUSED;
  while (job().state != JOB_PAUSED) SleepMs(1);
  std::vector<std::string> jobFiles = job().files;
  EXPECT_FALSE(StartCryptoJob(manager(), id, false, kPassword, nullptr));
  EXPECT_EQ(job().files, jobFiles);
  EXPECT_TRUE(job().encrypt);
  EXPECT_EQ(job().errors, &errors_);
  job().command = JOB_RUNNING;
  JoinWorker(job());
  ExpectEncrypted(files);
}

// The job's own loop, run on this thread with an abort already asked: the
// first file is finished, the abort is seen before the next one, then every
// output goes and every source stays. With one file that is the last file.
TEST_F(CryptoJobTest, AbortRollsBackEveryOutputWhateverFileItComesIn) {
  auto files = MakeTree();
  uint32_t id = AddItem("tree");
  for (bool encrypt : {true, false}) {
    for (size_t listed : {size_t{1}, size_t{3}}) {
      SCOPED_TRACE(std::to_string(encrypt) + " of " + std::to_string(listed));
      std::vector<std::string> all;
      Enumerate(&env_, Path("tree"), &all, encrypt ? nullptr : ".dfc", true, nullptr, false);
      ASSERT_EQ(all.size(), 3u);
      job().files.assign(all.begin(), all.begin() + static_cast<long>(listed));
      job().encrypt = encrypt;
      job().errors = &errors_;
      std::string pw = kPassword;
      std::memcpy(job().password.data(), pw.data(), pw.size());
      job().passwordLength = static_cast<uint32_t>(pw.size());
      job().doneSources.clear();
      job().doneOutputs.clear();
      job().command = JOB_STOPPED;
      RunCryptoJob(&env_, job());
      EXPECT_TRUE(TakeFailures().empty());
      EXPECT_EQ(job().doneSources.size(), 1u);
      EXPECT_TRUE(job().doneOutputs.empty());
      if (encrypt) {
        ExpectPlain(files);
      } else {
        ExpectEncrypted(files);
      }
    }
    if (encrypt) {
      ASSERT_TRUE(Run(id, true));
    }
  }
}

TEST_F(CryptoJobTest, PauseResumeAndAbortOnTheWorker) {
  auto files = MakeTree(3000000);
  uint32_t id = AddItem("tree");
  ASSERT_TRUE(StartCryptoJob(manager(), id, true, "", &errors_));
  job().command = JOB_PAUSED;
  while (job().state != JOB_PAUSED) SleepMs(1);
  double pausedAt = job().totalPercent;
  SleepMs(30);
  EXPECT_EQ(job().totalPercent, pausedAt) << "a paused job does no work";
  EXPECT_LT(pausedAt, 100.0);
  job().command = JOB_RUNNING;
  while (job().state == JOB_PAUSED) SleepMs(1);
  job().command = JOB_STOPPED;
  JoinWorker(job());
  EXPECT_EQ(job().state, JOB_STOPPED);
  ExpectPlain(files);
  EXPECT_EQ(ListNames(Path("tree/sub")), "b.bin deep");
}

TEST_F(CryptoJobTest, AJobWhereEveryFileFailsDeletesNothing) {
  auto files = MakeTree();
  uint32_t id = AddItem("tree");
  ASSERT_TRUE(Run(id, true));
  ASSERT_TRUE(Run(id, false, "wrong-password"));
  EXPECT_EQ(TakeFailures().size(), 3u);
  for (const auto& failure : errors_.value) EXPECT_EQ(failure.second, FOE_BAD_PASSWORD);
  ExpectEncrypted(files);
}

TEST_F(CryptoJobTest, AFullDiskFailsSomeFilesAndTheOthersComplete) {
  auto files = MakeTree();
  uint32_t id = AddItem("tree");
  env_.FailWritesAfter("/tree/sub/", 1000);
  ASSERT_TRUE(Run(id, true));
  env_.Reset();
  EXPECT_EQ(TakeFailures(), (Failures{{Path("tree/sub/b.bin"), FOE_WRITE_FAILED}}));
  ExpectEncrypted({{"tree/a.txt", ""}, {"tree/sub/deep/c", ""}});
  ExpectPlain({{"tree/sub/b.bin", files["tree/sub/b.bin"]}});
  EXPECT_EQ(ListNames(Path("tree/sub")), "b.bin deep") << "no temporary file is left";
}

TEST_F(CryptoJobTest, AReadOnlySourceIsEncryptedAndStillDeleted) {
  WriteBytes(Path("ro"), "read only");
  ::chmod(Path("ro").c_str(), 0444);
  uint32_t id = AddItem("ro");
  ASSERT_TRUE(Run(id, true));
  EXPECT_TRUE(TakeFailures().empty());
  EXPECT_FALSE(Exists(Path("ro")));
  uint32_t attributes = 0;
  ASSERT_TRUE(env_.GetAttributes(Path("ro.dfc"), &attributes));
  EXPECT_TRUE(attributes & kAttrReadOnly);
  ASSERT_TRUE(Run(id, false));
  ASSERT_TRUE(env_.GetAttributes(Path("ro"), &attributes));
  EXPECT_TRUE(attributes & kAttrReadOnly);
  EXPECT_FALSE(Exists(Path("ro.dfc")));
}

TEST_F(CryptoJobTest, ASourceThatCannotBeDeletedStaysBesideItsOutput) {
  WriteBytes(Path("f"), "data");
  uint32_t id = AddItem("f");
  env_.FailDelete("/f");
  ASSERT_TRUE(Run(id, true));
  env_.Reset();
  EXPECT_EQ(ReadBytes(Path("f")), "data");
  EXPECT_TRUE(Exists(Path("f.dfc")));
}

TEST_F(CryptoJobTest, DestroyingTheManagerAbortsAndJoinsTheWorker) {
  auto files = MakeTree(3000000);
  uint32_t id = AddItem("tree");
  ASSERT_TRUE(StartCryptoJob(manager(), id, true, "", nullptr));
  job().command = JOB_PAUSED;
  while (job().state != JOB_PAUSED) SleepMs(1);
  fixture_.Destroy();
  ExpectPlain(files);
}

}  // namespace
}  // namespace nv
