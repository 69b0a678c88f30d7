#include "platform/fault_env.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/mem_env.h"
#include "tests/platform/temp_dir.h"

namespace nv {
namespace {

OpenOptions Options(Access access, Disposition disposition) {
  OpenOptions options;
  options.access = access;
  options.disposition = disposition;
  options.share = Share::kShareAll;
  return options;
}

class FaultEnvTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mem_.MakeDirs("/d")); }

  std::string Contents(const std::string& path) {
    std::string data;
    return mem_.ReadFile(path, &data) ? data : "<none>";
  }

  MemEnv mem_;
  FaultEnv env_{&mem_};
};

TEST_F(FaultEnvTest, WriteBudgetGivesAShortWriteThenFailures) {
  env_.FailWritesAfter("a.bin", 10);
  auto file = env_.Open("/d/a.bin", Options(Access::kWrite, Disposition::kCreateNew), nullptr);
  ASSERT_TRUE(file);
  size_t written = 0;
  EXPECT_TRUE(file->Write("123456", 6, &written));
  EXPECT_EQ(env_.LastWriteError(), FsError::kOk);
  EXPECT_FALSE(file->Write("789abc", 6, &written));
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(env_.LastWriteError(), FsError::kNoSpace);
  EXPECT_FALSE(file->Write("z", 1, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(file->Sync());
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(Contents("/d/a.bin"), "123456789a");

  // Other paths write freely; each matching file gets a budget of its own.
  auto other = env_.Open("/d/b.bin", Options(Access::kWrite, Disposition::kCreateNew), nullptr);
  EXPECT_TRUE(other->Write("123456789abc", 12, &written));
  auto again = env_.Open("/d/a.bin", Options(Access::kWrite, Disposition::kCreateAlways), nullptr);
  EXPECT_TRUE(again->Write("123456789a", 10, &written));
  EXPECT_FALSE(again->Write("b", 1, &written));
}

TEST_F(FaultEnvTest, WriteBudgetReportsTheChosenError) {
  env_.FailWritesAfter("", 0, FsError::kIo);
  auto file = env_.Open("/d/f", Options(Access::kWrite, Disposition::kCreateNew), nullptr);
  ASSERT_TRUE(file);
  size_t written = 1;
  EXPECT_FALSE(file->Write("x", 1, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(env_.LastWriteError(), FsError::kIo);
  env_.Reset();
  EXPECT_EQ(env_.LastWriteError(), FsError::kOk);
}

TEST_F(FaultEnvTest, ReadBudgetGivesAShortReadThenFailures) {
  ASSERT_TRUE(mem_.WriteFile("/d/big", std::string(20, 'x')));
  ASSERT_TRUE(mem_.WriteFile("/d/small", "abcd"));
  env_.FailReadsAfter("/d/", 8);
  char buffer[16];
  size_t got = 0;
  auto big = env_.Open("/d/big", Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(big);
  EXPECT_TRUE(big->Read(buffer, 5, &got));
  EXPECT_FALSE(big->Read(buffer, 5, &got));
  EXPECT_EQ(got, 3u);
  EXPECT_FALSE(big->Read(buffer, 5, &got));
  EXPECT_EQ(got, 0u);

  // Reaching the end of a file within the budget is no failure.
  auto small = env_.Open("/d/small", Options(Access::kRead, Disposition::kOpenExisting), nullptr);
  ASSERT_TRUE(small);
  EXPECT_TRUE(small->Read(buffer, 6, &got));
  EXPECT_EQ(got, 4u);
}

TEST_F(FaultEnvTest, FailedOpenCreatesAndTruncatesNothing) {
  ASSERT_TRUE(mem_.WriteFile("/d/keep", "data"));
  env_.FailOpen("/d/", FsError::kAccessDenied);
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_.Open("/d/new", Options(Access::kWrite, Disposition::kCreateAlways), &error));
  EXPECT_EQ(error, FsError::kAccessDenied);
  EXPECT_FALSE(env_.Open("/d/keep", Options(Access::kWrite, Disposition::kCreateAlways), &error));
  EXPECT_EQ(Contents("/d/new"), "<none>");
  EXPECT_EQ(Contents("/d/keep"), "data");

  env_.Reset();
  EXPECT_TRUE(env_.Open("/d/keep", Options(Access::kRead, Disposition::kOpenExisting), &error));
  EXPECT_EQ(error, FsError::kOk);
}

TEST_F(FaultEnvTest, RenameFailsWhenEitherPathMatches) {
  ASSERT_TRUE(mem_.WriteFile("/d/a", "A"));
  ASSERT_TRUE(mem_.WriteFile("/d/b", "B"));
  env_.FailRename("victim");
  FsError error = FsError::kOk;
  EXPECT_FALSE(env_.Rename("/d/a", "/d/victim", &error));
  EXPECT_EQ(error, FsError::kIo);
  EXPECT_FALSE(env_.Replace("/d/a", "/d/victim", &error));
  ASSERT_TRUE(mem_.Rename("/d/b", "/d/victim", nullptr));
  EXPECT_FALSE(env_.Rename("/d/victim", "/d/c", &error));
  EXPECT_FALSE(env_.Replace("/d/victim", "/d/a", &error));
  EXPECT_EQ(Contents("/d/a"), "A");
  EXPECT_EQ(Contents("/d/victim"), "B");
  EXPECT_TRUE(env_.Rename("/d/a", "/d/c", &error));
  EXPECT_EQ(Contents("/d/c"), "A");
}

// Each rule against the operation it breaks: it fails on a matching path only,
// changes nothing, and works again after Reset.
TEST_F(FaultEnvTest, EachRuleBreaksItsOperationOnMatchingPaths) {
  struct Case {
    const char* name;
    std::function<void(FaultEnv&)> rule;
    std::function<bool(Env&, const std::string& folder)> operation;
  };
  auto prepare = [this](const std::string& folder) {
    ASSERT_TRUE(mem_.MakeDirs(folder + "/empty"));
    ASSERT_TRUE(mem_.WriteFile(folder + "/file", "x"));
  };
  const Case cases[] = {
      {"delete", [](FaultEnv& e) { e.FailDelete("hit"); },
       [](Env& e, const std::string& f) { return e.DeleteFile(f + "/file", nullptr); }},
      {"create dir", [](FaultEnv& e) { e.FailCreateDir("hit"); },
       [](Env& e, const std::string& f) { return e.CreateDir(f + "/new", 0755, nullptr); }},
      {"remove dir", [](FaultEnv& e) { e.FailRemoveDir("hit"); },
       [](Env& e, const std::string& f) { return e.RemoveDir(f + "/empty", nullptr); }},
      {"attributes", [](FaultEnv& e) { e.FailSetAttributes("hit"); },
       [](Env& e, const std::string& f) { return e.SetAttributes(f + "/file", kAttrReadOnly); }},
      {"sync dir", [](FaultEnv& e) { e.FailSync("hit"); },
       [](Env& e, const std::string& f) { return e.SyncDir(f); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env_.Reset();
    std::string hit = std::string("/hit-") + c.name;
    std::string miss = std::string("/miss-") + c.name;
    prepare(hit);
    prepare(miss);
    c.rule(env_);
    EXPECT_FALSE(c.operation(env_, hit));
    EXPECT_EQ(Contents(hit + "/file"), "x");
    uint32_t attributes = 0;
    EXPECT_TRUE(mem_.GetAttributes(hit + "/file", &attributes));
    EXPECT_EQ(attributes, kAttrArchive);
    EXPECT_TRUE(mem_.GetAttributes(hit + "/empty", &attributes));
    EXPECT_FALSE(mem_.GetAttributes(hit + "/new", &attributes));
    EXPECT_TRUE(c.operation(env_, miss));
    env_.Reset();
    EXPECT_TRUE(c.operation(env_, hit));
  }
}

TEST_F(FaultEnvTest, SyncRuleReachesFilesAlreadyOpen) {
  auto file = env_.Open("/d/f", Options(Access::kWrite, Disposition::kCreateNew), nullptr);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->Sync());
  env_.FailSync("/d/f");
  EXPECT_FALSE(file->Sync());
  size_t written = 0;
  EXPECT_TRUE(file->Write("x", 1, &written));  // only syncing is broken
  env_.Reset();
  EXPECT_TRUE(file->Sync());
}

TEST_F(FaultEnvTest, PassesQueriesThrough) {
  ASSERT_TRUE(mem_.WriteFile("/d/f", "abc"));
  ASSERT_TRUE(mem_.MakeSymlink("/d/l", "/d/f"));
  env_.FailOpen("", FsError::kIo);
  EntryInfo info;
  ASSERT_TRUE(env_.Stat("/d/f", &info));
  EXPECT_EQ(info.size, 3u);
  uint32_t attributes = 0;
  ASSERT_TRUE(env_.GetAttributes("/d/l", &attributes));
  EXPECT_EQ(attributes, kAttrReparsePoint);
  std::vector<DirEntry> entries;
  ASSERT_TRUE(env_.ListDir("/d", &entries));
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(env_.LongForm("/d/l"), "/d/f");
}

TEST(FaultEnvRealTest, ShortWriteOnTheRealFileSystem) {
  testing::TempDir dir;
  FaultEnv env(Env::Default());
  env.FailWritesAfter("/victim", 3);
  const std::string path = dir.path() + "/victim";
  auto file = env.Open(path, Options(Access::kWrite, Disposition::kCreateNew), nullptr);
  ASSERT_TRUE(file);
  size_t written = 0;
  EXPECT_FALSE(file->Write("abcdef", 6, &written));
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(file->Sync());
  ASSERT_TRUE(file->Close());
  EntryInfo info;
  ASSERT_TRUE(env.Stat(path, &info));
  EXPECT_EQ(info.size, 3u);
}

}  // namespace
}  // namespace nv
