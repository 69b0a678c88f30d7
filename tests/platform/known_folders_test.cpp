#include "platform/known_folders.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tests/platform/temp_dir.h"

namespace nv {
namespace {

const char* const kNoHome = "/nonexistent-nv-home";

GetVariable Vars(std::map<std::string, std::string> values) {
  return [values](const std::string& name) {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  };
}

TEST(SpecialFoldersTest, FixedSystemLocations) {
  SpecialFolders f = LookUpSpecialFolders(Vars({{"HOME", kNoHome}}), "", "/nonexistent/bin/tool");
  EXPECT_EQ(f.systemDriveRoot, "/");
  for (const char* dir : {"/usr", "/etc", "/bin", "/lib", "/boot", "/dev", "/proc", "/sys", "/var"})
    EXPECT_NE(std::find(f.systemFolders.begin(), f.systemFolders.end(), dir), f.systemFolders.end())
        << dir;
  EXPECT_EQ(f.programFiles, "/opt");
  EXPECT_EQ(f.programFilesX86, "/opt");
  EXPECT_EQ(f.profilesRoots, (std::vector<std::string>{"/home", "/root"}));
  EXPECT_EQ(f.programFolder, "/nonexistent/bin");
}

TEST(SpecialFoldersTest, DataHomeComesFromTheEnvironmentWhenAbsolute) {
  const struct {
    const char* dataHome;
    std::string expected;
  } cases[] = {
      {"/nonexistent/data", "/nonexistent/data"},
      {"relative/data", std::string(kNoHome) + "/.local/share"},
      {"", std::string(kNoHome) + "/.local/share"},
  };
  for (const auto& c : cases) {
    SpecialFolders f =
        LookUpSpecialFolders(Vars({{"HOME", kNoHome}, {"XDG_DATA_HOME", c.dataHome}}), "", "/x/tool");
    EXPECT_EQ(f.localAppData, c.expected) << c.dataHome;
  }
}

TEST(SpecialFoldersTest, UserDirsTextWithFallbacks) {
  const std::string home = kNoHome;
  const struct {
    const char* text;
    std::string desktop, documents;
  } cases[] = {
      {"# written by xdg-user-dirs-update\n"
       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n"
       "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n",
       home + "/Schreibtisch", "/srv/docs"},
      {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Desktop", home + "/Dokumente"},
      // Relative values and commented-out lines are not taken.
      {"XDG_DESKTOP_DIR=\"Desktop2\"\n# XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", home + "/Desktop",
       home + "/Documents"},
      {"", home + "/Desktop", home + "/Documents"},
  };
  for (const auto& c : cases) {
    SpecialFolders f = LookUpSpecialFolders(Vars({{"HOME", home}}), c.text, "/x/tool");
    EXPECT_EQ(f.desktop, c.desktop) << c.text;
    EXPECT_EQ(f.documents, c.documents) << c.text;
  }
}

TEST(SpecialFoldersTest, ExistingFoldersAreCanonical) {
  testing::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  namespace fs = std::filesystem;
  const std::string real = dir.path() + "/real";
  fs::create_directories(real + "/Desktop");
  fs::create_directories(real + "/.local/share");
  fs::create_directories(real + "/bin");
  fs::create_directory_symlink(real, dir.path() + "/link");
  const std::string home = dir.path() + "/link";

  SpecialFolders f = LookUpSpecialFolders(Vars({{"HOME", home}}), "", home + "/bin/tool");
  EXPECT_EQ(f.desktop, real + "/Desktop");
  EXPECT_EQ(f.localAppData, real + "/.local/share");
  EXPECT_EQ(f.programFolder, real + "/bin");
  EXPECT_EQ(f.documents, home + "/Documents");  // missing: kept as computed
}

TEST(SpecialFoldersTest, WithoutHomeTheAccountsFolderIsUsed) {
  SpecialFolders f = LookUpSpecialFolders(Vars({}), "", "/x/tool");
  ASSERT_FALSE(f.desktop.empty());
  EXPECT_EQ(f.desktop[0], '/');
  EXPECT_FALSE(f.localAppData.empty());
}

}  // namespace
}  // namespace nv
