#include "platform/clock.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>

namespace nv {
namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (*m <= 2));
}

constexpr int64_t kOleEpochDays = -25569;  // 1899-12-30 relative to 1970-01-01
// The range OLE dates can express: years 100 to 9999.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;

}  // namespace

double CalendarToOleDate(const CalendarTime& t) {
  int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
                 kOleEpochDays;
  double fraction = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
  // Before the epoch the fraction counts away from zero, as the format defines.
  return days >= 0 ? days + fraction : days - fraction;
}

bool OleDateToCalendar(double date, CalendarTime* t) {
  *t = CalendarTime{};
  if (!std::isfinite(date) || date < kMinOleDate || date >= kMaxOleDate) return false;
  double whole = std::trunc(date);
  double fraction = std::fabs(date - whole);
  int64_t seconds = std::llround(fraction * 86400.0);
  int64_t days = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    days += date >= 0 ? 1 : -1;
  }
  CivilFromDays(days + kOleEpochDays, &t->year, &t->month, &t->day);
  t->hour = static_cast<int>(seconds / 3600);
  t->minute = static_cast<int>(seconds / 60 % 60);
  t->second = static_cast<int>(seconds % 60);
  return true;
}

CalendarTime LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  CalendarTime t;
  if (!localtime_r(&now, &local)) return t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}

double NowOleDate() { return CalendarToOleDate(LocalNow()); }

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace nv
