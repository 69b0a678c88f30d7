#include "platform/clock.h"

#include <cmath>
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

namespace nv {
namespace {

auto Fields(const CalendarTime& t) {
  return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

TEST(ClockTest, KnownDates) {
  EXPECT_EQ(CalendarToOleDate({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_DOUBLE_EQ(CalendarToOleDate({2026, 12, 9, 15, 4, 7}), 46365.0 + 54247.0 / 86400.0);
  EXPECT_DOUBLE_EQ(CalendarToOleDate({2000, 2, 29, 12, 0, 0}), 36585.5);
  // Before the epoch the time of day counts away from zero.
  EXPECT_DOUBLE_EQ(CalendarToOleDate({1899, 12, 29, 6, 0, 0}), -1.25);
}

TEST(ClockTest, RoundTripsThroughTheCalendar) {
  const CalendarTime dates[] = {
      {1899, 12, 30, 0, 0, 0},  {2026, 12, 9, 15, 4, 7}, {2000, 2, 29, 23, 59, 59},
      {1899, 12, 29, 6, 0, 0},  {1700, 3, 1, 1, 2, 3},   {100, 1, 1, 0, 0, 0},
      {9999, 12, 31, 23, 59, 59},
  };
  for (const CalendarTime& date : dates) {
    CalendarTime back;
    double ole = CalendarToOleDate(date);
    ASSERT_TRUE(OleDateToCalendar(ole, &back)) << ole;
    EXPECT_EQ(Fields(back), Fields(date)) << ole;
  }
}

TEST(ClockTest, RoundsToTheNearestSecondAcrossMidnight) {
  CalendarTime t;
  ASSERT_TRUE(OleDateToCalendar(46365.99999999, &t));
  EXPECT_EQ(Fields(t), std::make_tuple(2026, 12, 10, 0, 0, 0));
}

TEST(ClockTest, OutOfRangeGivesFalseAndClearedFields) {
  for (double date : {-657435.0, 2958466.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    CalendarTime t{2000, 1, 1, 1, 1, 1};
    EXPECT_FALSE(OleDateToCalendar(date, &t)) << date;
    EXPECT_EQ(Fields(t), std::make_tuple(-1, -1, -1, -1, -1, -1)) << date;
  }
}

TEST(ClockTest, NowIsAPlausibleLocalTime) {
  CalendarTime now = LocalNow();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
  EXPECT_GT(NowOleDate(), CalendarToOleDate({2024, 1, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace nv
