// Figures a progress display shows: times and the remaining-time estimate.
#pragma once

#include <cstdint>
#include <string>

namespace nv {

// "HH:MM:SS"; 359,999,000 ms or more shows as "99:59:59".
std::string FormatDuration(uint32_t ms);

// Remaining time from the running time and the percentage done; 0 when the
// percentage is 0 or the estimate is below the elapsed time.
uint32_t RemainingMs(uint32_t elapsedMs, double percent);

// The bar position for a percentage: 100 above 99.9, 0 below 0, else truncated.
int ProgressBarPosition(double percent);

}  // namespace nv
