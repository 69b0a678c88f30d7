#include "core/progress_math.h"

#include <cstdio>

namespace nv {

std::string FormatDuration(uint32_t ms) {
  if (ms >= 359999000u) return "99:59:59";
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", ms / 3600000u, ms / 60000u % 60u, ms / 1000u % 60u);
  return text;
}

uint32_t RemainingMs(uint32_t elapsedMs, double percent) {
  if (!(percent > 0.0)) return 0;
  uint32_t scaled = elapsedMs * 100u;  // wraps as 32-bit unsigned arithmetic does
  double estimate = scaled / percent;
  if (!(estimate < 9.2e18)) return 0;
  uint32_t total = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(estimate)));
  return total >= elapsedMs ? total - elapsedMs : 0;
}

int ProgressBarPosition(double percent) {
  if (percent > 99.9) return 100;
  if (percent < 0.0) return 0;
  return static_cast<int>(percent);
}

}  // namespace nv
