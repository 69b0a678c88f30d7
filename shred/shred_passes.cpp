#include "shred/shred_passes.h"

#include <chrono>
#include <cstring>
#include <exception>
#include <new>
#include <random>

namespace nv {
namespace {

enum class Fill { kByte, kTriple, kRandom };

struct Pattern {
  Fill fill;
  uint8_t a = 0, b = 0, c = 0;
};

constexpr Pattern Byte(uint8_t value) { return {Fill::kByte, value}; }
constexpr Pattern Triple(uint8_t a, uint8_t b, uint8_t c) { return {Fill::kTriple, a, b, c}; }
constexpr Pattern kRandom{Fill::kRandom};

std::vector<Pattern> PatternsOf(uint32_t method) {
  switch (method) {
    case SHRED_GUTMANN: {
      std::vector<Pattern> passes = {kRandom, kRandom, kRandom, kRandom, Byte(0x55), Byte(0xAA),
                                     Triple(0x92, 0x49, 0x24), Triple(0x49, 0x24, 0x92),
                                     Triple(0x24, 0x92, 0x49)};
      for (int value = 0x00; value <= 0xFF; value += 0x11)
        passes.push_back(Byte(static_cast<uint8_t>(value)));
      passes.insert(passes.end(), {Triple(0x92, 0x49, 0x24), Triple(0x49, 0x24, 0x92),
                                   Triple(0x24, 0x92, 0x49), Triple(0x6D, 0xB6, 0xDB),
                                   Triple(0xB6, 0xDB, 0x6D), Triple(0xDB, 0x6D, 0xB6), kRandom,
                                   kRandom, kRandom, kRandom});
      return passes;
    }
    case SHRED_ZEROS: return {Byte(0x00)};
    case SHRED_ONES: return {Byte(0xFF)};
    case SHRED_RANDOM: return {kRandom};
    case SHRED_NSA: return {kRandom, kRandom, Byte(0x00)};
    case SHRED_OLD_NSA: return {Byte(0x00), Byte(0xFF), Byte(0x00), Byte(0xFF)};
    case SHRED_US_MILITARY: return {Byte(0x00), Byte(0xFF), Triple(0x35, 0xCA, 0x97)};
    case SHRED_NATO:
      return {Byte(0x00), Byte(0xFF), Byte(0x00), Byte(0xFF), Byte(0x00), Byte(0xFF),
              Triple(0x35, 0xCA, 0x97)};
    default: return {};
  }
}

// The triple restarts at every 512-byte block, so a block ends "a, b" and the
// next begins with a again.
constexpr size_t kTripleBlock = 512;

void FillBuffer(const Pattern& pattern, std::mt19937_64& random, std::vector<uint8_t>& buffer) {
  switch (pattern.fill) {
    case Fill::kByte:
      std::memset(buffer.data(), pattern.a, buffer.size());
      break;
    case Fill::kTriple: {
      const uint8_t triple[3] = {pattern.a, pattern.b, pattern.c};
      for (size_t k = 0; k < kTripleBlock; ++k) buffer[k] = triple[k % 3];
      for (size_t at = kTripleBlock; at < buffer.size(); at += kTripleBlock)
        std::memcpy(buffer.data() + at, buffer.data(), kTripleBlock);
      break;
    }
    case Fill::kRandom:
      for (size_t at = 0; at < buffer.size(); at += sizeof(uint64_t)) {
        uint64_t value = random();
        std::memcpy(buffer.data() + at, &value, sizeof value);
      }
      break;
  }
}

// Seeded from the system's entropy source; should that be unavailable, from
// the clock, which still differs from job to job.
std::mt19937_64 SeededGenerator() {
  std::vector<uint32_t> words(8);
  try {
    std::random_device device;
    for (uint32_t& word : words) word = device();
  } catch (const std::exception&) {
    auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    words = {static_cast<uint32_t>(now), static_cast<uint32_t>(now >> 32)};
  }
  std::seed_seq seed(words.begin(), words.end());
  return std::mt19937_64(seed);
}

}  // namespace

bool PreparePasses(ShredJob& job) {
  FreePasses(job);
  std::vector<Pattern> patterns = PatternsOf(job.method);
  if (patterns.empty()) return false;
  try {
    job.passes.reserve(patterns.size());
    for (size_t i = 0; i < patterns.size(); ++i) job.passes.emplace_back(kPassBufferSize);
  } catch (const std::bad_alloc&) {
    FreePasses(job);
    return false;
  }
  job.totalBytes = job.totalBytes * patterns.size();
  std::mt19937_64 random = SeededGenerator();
  for (size_t i = 0; i < patterns.size(); ++i) FillBuffer(patterns[i], random, job.passes[i]);
  return true;
}

void FreePasses(ShredJob& job) {
  job.passes.clear();
  job.passes.shrink_to_fit();
}

}  // namespace nv
