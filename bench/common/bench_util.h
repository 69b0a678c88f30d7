// Pieces every benchmark uses: its size arguments, its clock and writing its
// test data.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"

namespace nv::bench {

using Clock = std::chrono::steady_clock;

// A byte count: digits with an optional suffix K, M or G (either case, powers
// of 1024). False when the text is not one or the count is zero.
bool ParseSize(const std::string& text, uint64_t* size);

double Seconds(Clock::time_point start, Clock::time_point end);
double SecondsSince(Clock::time_point start);

// Makes sure the benchmark's working folder exists, creating missing folders.
bool PrepareFolder(Env* env, const std::string& folder);

// Creates or truncates path and writes all of data to it.
bool WriteWholeFile(Env* env, const std::string& path, const std::vector<uint8_t>& data);

}  // namespace nv::bench
