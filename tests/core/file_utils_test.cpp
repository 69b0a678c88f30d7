#include "core/file_utils.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/mem_env.h"
#include "tests/platform/temp_dir.h"

namespace nv {
namespace {

using Paths = std::vector<std::string>;

class EnumerateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(env_.MakeDirs("/data/sub/deep"));
    ASSERT_TRUE(env_.MakeDirs("/data/empty"));
    ASSERT_TRUE(env_.MakeDirs("/single"));
    const std::pair<const char*, size_t> files[] = {
        {"/data/x.dfc", 3},         {"/data/.dfc", 5},          {"/data/y.txt", 7},
        {"/data/z.DFC.bak", 11},    {"/data/sub/w.Dfc", 13},    {"/data/sub/deep/v.dfc", 17},
        {"/single/a.DFC", 19},      {"/single/a.dfc.bak", 23},  {"/single/noext", 29},
    };
    for (const auto& [path, size] : files) ASSERT_TRUE(env_.WriteFile(path, std::string(size, 'x')));
    ASSERT_TRUE(env_.MakeSymlink("/data/link.dfc", "/data/x.dfc"));
    ASSERT_TRUE(env_.MakeSymlink("/data/linkdir", "/data/sub"));
    ASSERT_TRUE(env_.MakeSymlink("/single/link.dfc", "/single/a.DFC"));
    ASSERT_TRUE(env_.MakeSpecial("/data/fifo.dfc"));
    ASSERT_TRUE(env_.MakeSpecial("/single/fifo.dfc"));
  }

  MemEnv env_;
};

TEST_F(EnumerateTest, FoldersAreWalkedWithFilterAndOptions) {
  const struct {
    const char* filter;
    bool recurse, includeFolders;
    Paths expected;
    uint64_t total;
  } cases[] = {
      // A name equal to the filter is refused; links and special entries are never taken.
      {".dfc", true, false, {"/data/sub/deep/v.dfc", "/data/sub/w.Dfc", "/data/x.dfc"}, 33},
      {".dfc", false, false, {"/data/x.dfc"}, 3},
      {".dfc",
       true,
       true,
       {"/data/empty", "/data/sub", "/data/sub/deep", "/data/sub/deep/v.dfc", "/data/sub/w.Dfc",
        "/data/x.dfc"},
       33},
      {nullptr,
       true,
       false,
       {"/data/.dfc", "/data/sub/deep/v.dfc", "/data/sub/w.Dfc", "/data/x.dfc", "/data/y.txt",
        "/data/z.DFC.bak"},
       56},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.filter ? c.filter : "no filter") << " " << c.recurse
                                      << c.includeFolders);
    Paths out{"/before"};
    uint64_t total = 100;
    EXPECT_TRUE(Enumerate(&env_, "/data", &out, c.filter, c.recurse, &total, c.includeFolders));
    Paths expected{"/before"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(out, expected);
    EXPECT_EQ(total, 100 + c.total);
  }
  Paths out;
  EXPECT_TRUE(Enumerate(&env_, "/data/empty", &out, nullptr, true, nullptr, true));
  EXPECT_TRUE(out.empty());
}

TEST_F(EnumerateTest, SingleFileIsJudgedByItsExtension) {
  const struct {
    const char* path;
    const char* filter;
    bool taken;
    uint64_t size;
  } cases[] = {
      {"/single/a.DFC", ".dfc", true, 19},
      {"/single/a.dfc.bak", ".dfc", false, 23},
      {"/single/noext", ".dfc", false, 29},
      {"/single/noext", nullptr, true, 29},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Paths out;
    uint64_t total = 0;
    EXPECT_TRUE(Enumerate(&env_, c.path, &out, c.filter, false, &total, false));
    EXPECT_EQ(out, c.taken ? Paths{c.path} : Paths{});
    EXPECT_EQ(total, c.size);  // counted even when the filter refuses it
  }
}

TEST_F(EnumerateTest, LinksSpecialEntriesAndMissingPathsAreRefused) {
  for (const char* path : {"/single/link.dfc", "/data/linkdir", "/single/fifo.dfc", "/missing"}) {
    Paths out;
    uint64_t total = 0;
    EXPECT_FALSE(Enumerate(&env_, path, &out, nullptr, true, &total, true)) << path;
    EXPECT_TRUE(out.empty()) << path;
    EXPECT_EQ(total, 0u) << path;
  }
}

class PathRelationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    namespace fs = std::filesystem;
    for (const char* folder : {"A/B", "AB", "a"}) fs::create_directories(P(folder));
    fs::create_directory_symlink(P("A"), P("L"));
  }
  std::string P(const std::string& relative) const { return dir_.path() + "/" + relative; }

  testing::TempDir dir_;
  Env* env_ = Env::Default();
};

TEST_F(PathRelationTest, SameOrInsideOnCanonicalForms) {
  const struct {
    std::string a, b;
    bool same, inside;
  } cases[] = {
      {P("A/B"), P("A"), false, true},
      {P("AB"), P("A"), false, false},
      {P("A"), P("A"), true, false},
      {P("A"), P("A/B"), false, false},
      {P("a"), P("A"), false, false},  // names differ by case: different folders here
      {P("L/B"), P("A"), false, true},
      {P("L"), P("A"), true, false},
      {P("A/./B/.."), P("A"), true, false},
      {P("A/B"), "/", false, false},  // nothing is inside a folder ending in '/'
      // A missing path is related to nothing, not even to another missing one.
      {P("A/missing"), P("A"), false, false},
      {P("A"), P("missing"), false, false},
      {P("missing"), P("missing"), false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " vs " + c.b);
    bool same = !c.same, inside = !c.inside;
    EXPECT_EQ(PathRelation(env_, c.a, c.b, &same, &inside), c.same || c.inside);
    EXPECT_EQ(same, c.same);
    EXPECT_EQ(inside, c.inside);
  }
  EXPECT_TRUE(PathsOverlap(env_, P("A"), P("A/B")));
  EXPECT_TRUE(PathsOverlap(env_, P("A/B"), P("A")));
  EXPECT_FALSE(PathsOverlap(env_, P("A"), P("AB")));
}

class IsAllowedItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    namespace fs = std::filesystem;
    for (const char* folder : {"sys/inner", "opt/x", "opt86/x", "apps/norvane/bin/sub", "apps/other",
                               "home/user/Desktop/f", "home/user/Documents", "home/user/AppData",
                               "data/inner"})
      fs::create_directories(P(folder));
    fs::create_directory_symlink(P("sys"), P("data/to-sys"));
    folders_.systemDriveRoot = "/";
    folders_.systemFolders = {P("sys"), "/nonexistent-nv-system"};
    folders_.programFiles = P("opt");
    folders_.programFilesX86 = P("opt86");
    folders_.desktop = P("home/user/Desktop");
    folders_.documents = P("home/user/Documents");
    folders_.profilesRoots = {P("home")};
    folders_.programFolder = P("apps/norvane/bin");
  }
  std::string P(const std::string& relative) const { return dir_.path() + "/" + relative; }

  testing::TempDir dir_;
  SpecialFolders folders_;
};

TEST_F(IsAllowedItemTest, GuardRefusesSystemProgramAndProfilePaths) {
  std::string upToRoot = dir_.path();
  for (size_t i = 0; i < dir_.path().size(); ++i)
    if (dir_.path()[i] == '/') upToRoot += "/..";
  const std::pair<std::string, bool> cases[] = {
      {"/", false},
      {"//", false},
      {upToRoot, false},  // the root reached through ".."
      {"", false},
      {P("sys"), false},
      {P("sys/inner"), false},
      {P("data/to-sys"), false},  // a link into a system folder
      {P("opt/x"), false},
      {P("opt86"), false},
      {P("apps/norvane/bin"), false},
      {P("apps/norvane/bin/sub"), false},
      {P("apps"), false},      // holds the program's own folder
      {dir_.path(), false},    // and so does every ancestor
      {P("apps/other"), true},
      {P("home/user/Desktop"), true},
      {P("home/user/Desktop/f"), true},
      {P("home/user/Documents"), true},
      {P("home/user/AppData"), false},
      {P("home/user"), false},
      {P("home"), false},
      {P("data"), true},
      {P("data/inner"), true},
  };
  Env* env = Env::Default();
  for (const auto& [path, allowed] : cases) EXPECT_EQ(IsAllowedItem(env, folders_, path), allowed) << path;
}

TEST(IsAllowedItemRealTest, SystemFoldersOfThisMachineAreRefused) {
  for (const char* path : {"/", "/usr/bin", "/etc", "/proc/self"})
    EXPECT_FALSE(IsAllowedItem(Env::Default(), GetSpecialFolders(), path)) << path;
}

TEST(FileUtilsTest, NamesAndNarrowText) {
  EXPECT_EQ(DisplayName("/a/b.txt"), "b.txt");
  EXPECT_EQ(DisplayName("/"), "/");
  EXPECT_EQ(DisplayName("relative"), "relative");
  EXPECT_EQ(ToAnsi(std::string("pass\0word", 9)), "pass");
  EXPECT_EQ(ToAnsi("p\xC3\xA4ss"), "p\xC3\xA4ss");
  EXPECT_TRUE(EndsWithIgnoringCase("file.DfC", ".dfc"));
  EXPECT_FALSE(EndsWithIgnoringCase("dfc", ".dfc"));
}

}  // namespace
}  // namespace nv
