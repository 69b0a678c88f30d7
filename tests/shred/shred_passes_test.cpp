#include "shred/shred_passes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace nv {
namespace {

// One expected pass: 'B' byte, 'T' triple, 'R' random.
struct Expected {
  char fill;
  uint8_t a = 0, b = 0, c = 0;
};
constexpr Expected R{'R'};
constexpr Expected B(uint8_t v) { return {'B', v}; }
constexpr Expected T(uint8_t a, uint8_t b, uint8_t c) { return {'T', a, b, c}; }

std::vector<Expected> ExpectedPasses(uint32_t method) {
  switch (method) {
    case 0:
      return {R, R, R, R, B(0x55), B(0xAA), T(0x92, 0x49, 0x24), T(0x49, 0x24, 0x92),
              T(0x24, 0x92, 0x49), B(0x00), B(0x11), B(0x22), B(0x33), B(0x44), B(0x55), B(0x66),
              B(0x77), B(0x88), B(0x99), B(0xAA), B(0xBB), B(0xCC), B(0xDD), B(0xEE), B(0xFF),
              T(0x92, 0x49, 0x24), T(0x49, 0x24, 0x92), T(0x24, 0x92, 0x49), T(0x6D, 0xB6, 0xDB),
              T(0xB6, 0xDB, 0x6D), T(0xDB, 0x6D, 0xB6), R, R, R, R};
    case 1: return {B(0x00)};
    case 2: return {B(0xFF)};
    case 3: return {R};
    case 4: return {R, R, B(0x00)};
    case 5: return {B(0x00), B(0xFF), B(0x00), B(0xFF)};
    case 6: return {B(0x00), B(0xFF), T(0x35, 0xCA, 0x97)};
    case 7: return {B(0x00), B(0xFF), B(0x00), B(0xFF), B(0x00), B(0xFF), T(0x35, 0xCA, 0x97)};
  }
  return {};
}

uint8_t ExpectedByte(const Expected& pass, size_t offset) {
  if (pass.fill == 'B') return pass.a;
  const uint8_t triple[3] = {pass.a, pass.b, pass.c};
  return triple[(offset % 512) % 3];
}

TEST(ShredPassesTest, EveryMethodBuildsItsPatternsAndScalesTheTotal) {
  for (uint32_t method = 0; method < kShredMethodCount; ++method) {
    SCOPED_TRACE("method " + std::to_string(method));
    ShredJob job;
    job.method = static_cast<ShredMethod>(method);
    job.totalBytes = 1000;
    ASSERT_TRUE(PreparePasses(job));
    std::vector<Expected> expected = ExpectedPasses(method);
    ASSERT_EQ(job.passes.size(), expected.size());
    EXPECT_EQ(job.passes.size(), ShredPassCount(method));
    EXPECT_EQ(job.totalBytes, 1000u * expected.size());
    std::set<std::vector<uint8_t>> randomBuffers;
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE("pass " + std::to_string(i));
      const std::vector<uint8_t>& buffer = job.passes[i];
      ASSERT_EQ(buffer.size(), kPassBufferSize);
      if (expected[i].fill == 'R') {
        std::set<uint8_t> values(buffer.begin(), buffer.end());
        EXPECT_GT(values.size(), 250u) << "a random pass must not be one repeated byte";
        EXPECT_TRUE(randomBuffers.insert(buffer).second) << "each random pass needs its own data";
        continue;
      }
      size_t wrong = 0;
      for (size_t k = 0; k < buffer.size(); ++k) wrong += buffer[k] != ExpectedByte(expected[i], k);
      EXPECT_EQ(wrong, 0u);
    }
  }
}

TEST(ShredPassesTest, TripleRestartsAtEvery512ByteBoundary) {
  ShredJob job;
  job.method = SHRED_NATO;
  ASSERT_TRUE(PreparePasses(job));
  const std::vector<uint8_t>& last = job.passes.back();
  EXPECT_EQ(last[507], 0x35);
  EXPECT_EQ(last[508], 0xCA);
  EXPECT_EQ(last[509], 0x97);
  EXPECT_EQ(last[510], 0x35);
  EXPECT_EQ(last[511], 0xCA);
  EXPECT_EQ(last[512], 0x35);  // not 0x97: the pattern starts again
  EXPECT_EQ(last[513], 0xCA);
  EXPECT_EQ(last[65535], 0xCA);
}

TEST(ShredPassesTest, RandomPassesDifferFromJobToJob) {
  ShredJob first, second;
  first.method = second.method = SHRED_RANDOM;
  ASSERT_TRUE(PreparePasses(first));
  ASSERT_TRUE(PreparePasses(second));
  EXPECT_NE(first.passes[0], second.passes[0]);
}

TEST(ShredPassesTest, UnknownMethodPreparesNothing) {
  ShredJob job;
  job.method = SHRED_ZEROS;
  ASSERT_TRUE(PreparePasses(job));
  job.method = static_cast<ShredMethod>(8);
  job.totalBytes = 77;
  EXPECT_FALSE(PreparePasses(job));
  EXPECT_TRUE(job.passes.empty());
  EXPECT_EQ(job.totalBytes, 77u);
}

TEST(ShredPassesTest, PreparingAgainReplacesTheSetAndFreeEmptiesIt) {
  ShredJob job;
  job.method = SHRED_GUTMANN;
  ASSERT_TRUE(PreparePasses(job));
  job.method = SHRED_ONES;
  ASSERT_TRUE(PreparePasses(job));
  ASSERT_EQ(job.passes.size(), 1u);
  EXPECT_EQ(job.passes[0][0], 0xFF);
  FreePasses(job);
  EXPECT_TRUE(job.passes.empty());
}

}  // namespace
}  // namespace nv
