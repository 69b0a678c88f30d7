#include "core/progress_math.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(ProgressMathTest, FormatDuration) {
  const std::pair<uint32_t, const char*> cases[] = {
      {0, "00:00:00"},          {999, "00:00:00"},         {3723000, "01:02:03"},
      {359998999, "99:59:58"},  {359999000, "99:59:59"},   {UINT32_MAX, "99:59:59"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(FormatDuration(ms), text) << ms;
}

TEST(ProgressMathTest, RemainingTimeFromElapsedAndPercentage) {
  const struct {
    uint32_t elapsedMs;
    double percent;
    uint32_t remainingMs;
  } cases[] = {
      {10000, 25.0, 30000}, {10000, 0.0, 0},  {10000, 100.0, 0},
      {10000, 50.0, 10000}, {1000, 200.0, 0},  // an estimate below the elapsed time
      {0, 30.0, 0},         {10000, -5.0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RemainingMs(c.elapsedMs, c.percent), c.remainingMs) << c.elapsedMs << " " << c.percent;
}

TEST(ProgressMathTest, ProgressBarPosition) {
  const std::pair<double, int> cases[] = {
      {99.95, 100}, {100.0, 100}, {99.9, 99}, {50.7, 50}, {0.0, 0}, {-1.0, 0}, {250.0, 100},
  };
  for (const auto& [percent, position] : cases)
    EXPECT_EQ(ProgressBarPosition(percent), position) << percent;
}

}  // namespace
}  // namespace nv
