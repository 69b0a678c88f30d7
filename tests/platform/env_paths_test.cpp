#include <string>

#include <gtest/gtest.h>

#include "platform/env.h"

namespace nv {
namespace {

TEST(EnvPathsTest, SplitsAndJoinsPaths) {
  const struct {
    const char* path;
    const char* parent;
    const char* base;
  } cases[] = {
      {"/a/b", "/a", "b"}, {"/a", "/", "a"}, {"/", "/", ""}, {"a", "", "a"}, {"/a/b/", "/a/b", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParentPath(c.path), c.parent) << c.path;
    EXPECT_EQ(BaseName(c.path), c.base) << c.path;
  }
  EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(JoinPath("/", "b"), "/b");
  EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(JoinPath("", "b"), "b");
}

TEST(EnvPathsTest, PathFitsTheSystemLimits) {
  const std::string longest(kMaxNameBytes, 'n');
  EXPECT_TRUE(PathFits("/" + longest));
  EXPECT_TRUE(PathFits("/" + longest + "/" + longest));
  EXPECT_FALSE(PathFits("/" + longest + "n"));
  EXPECT_FALSE(PathFits("/a/" + longest + "n/b"));
  EXPECT_FALSE(PathFits(longest + "n"));

  std::string path;
  while (path.size() + 201 <= kMaxPathBytes) path += "/" + std::string(200, 'd');
  path += "/" + std::string(kMaxPathBytes - path.size() - 1, 'f');
  ASSERT_EQ(path.size(), kMaxPathBytes);
  EXPECT_TRUE(PathFits(path));
  EXPECT_FALSE(PathFits(path + "f"));
}

}  // namespace
}  // namespace nv
