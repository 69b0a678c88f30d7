#include "platform/instance.h"

#include <gtest/gtest.h>

#include "tests/platform/temp_dir.h"

namespace nv {
namespace {

TEST(InstanceMarkerTest, HeldUntilReleased) {
  testing::TempDir dir;
  const std::string path = dir.path() + "/" + kInstanceMarkerName;
  EXPECT_FALSE(InstanceMarker::IsHeld(path));  // not even created yet

  auto marker = InstanceMarker::Acquire(path);
  ASSERT_TRUE(marker);
  EXPECT_TRUE(InstanceMarker::IsHeld(path));
  // The lock belongs to the open file, so a second taker conflicts even here.
  EXPECT_FALSE(InstanceMarker::Acquire(path));
  EXPECT_TRUE(InstanceMarker::IsHeld(path));

  marker.reset();
  EXPECT_FALSE(InstanceMarker::IsHeld(path));
  EXPECT_TRUE(InstanceMarker::Acquire(path));
}

TEST(InstanceMarkerTest, AcquireFailsWhereNoFileCanBeMade) {
  testing::TempDir dir;
  EXPECT_FALSE(InstanceMarker::Acquire(dir.path() + "/missing/" + kInstanceMarkerName));
}

}  // namespace
}  // namespace nv
