// Local time as OLE Automation dates, and sleeping.
#pragma once

#include <cstdint>

namespace nv {

struct CalendarTime {
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
};

// Days since 30 December 1899 00:00, the fraction being the time of day.
double CalendarToOleDate(const CalendarTime& t);
// Splits a date into calendar fields; false (fields -1) when out of range.
bool OleDateToCalendar(double date, CalendarTime* t);
// The current local time, to the whole second.
CalendarTime LocalNow();
double NowOleDate();

void SleepMs(uint32_t ms);

}  // namespace nv
