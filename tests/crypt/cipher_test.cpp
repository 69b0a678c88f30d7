// The cipher's restart and key rules, on which the stored formats depend.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "crypt/cipher.h"

namespace nv {
namespace {

using Bytes = std::array<uint8_t, 20>;

Bytes Plain() {
  Bytes plain;
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 7 + 1);
  return plain;
}

TEST(CipherTest, KeyIsZeroPaddedAndLongKeysChangeNothing) {
  const uint8_t shortKey[5] = {'a', 'b', 'c', 'd', 'e'};
  const uint8_t paddedKey[16] = {'a', 'b', 'c', 'd', 'e'};
  Bytes plain = Plain(), fromShort{}, fromPadded{}, untouched;
  EncryptBuffer(5, shortKey, plain.data(), plain.size(), fromShort.data());
  EncryptBuffer(16, paddedKey, plain.data(), plain.size(), fromPadded.data());
  EXPECT_EQ(fromShort, fromPadded);
  EXPECT_NE(fromShort, plain);

  untouched.fill(0xAB);
  Bytes output = untouched;
  const uint8_t longKey[17] = {};
  EncryptBuffer(17, longKey, plain.data(), plain.size(), output.data());
  EXPECT_EQ(output, untouched);
  EncryptBuffer(5, shortKey, plain.data(), 0, output.data());
  EXPECT_EQ(output, untouched);
}

TEST(CipherTest, EveryCallRestartsFromTheInitialisationVector) {
  const uint8_t key[6] = {'s', 'e', 'c', 'r', 'e', 't'};
  Bytes plain = Plain(), once{}, twice{}, back{};
  EncryptBuffer(6, key, plain.data(), plain.size(), once.data());
  EncryptBuffer(6, key, plain.data(), plain.size(), twice.data());
  EXPECT_EQ(once, twice);
  DecryptBuffer(6, key, once.data(), once.size(), back.data());
  EXPECT_EQ(back, plain);

  // Deciphering in two calls restores only the first segment.
  DecryptBuffer(6, key, once.data(), 16, back.data());
  DecryptBuffer(6, key, once.data() + 16, 4, back.data() + 16);
  EXPECT_EQ(0, std::memcmp(back.data(), plain.data(), 16));
  EXPECT_NE(0, std::memcmp(back.data() + 16, plain.data() + 16, 4));
}

TEST(CipherTest, FixedBlockIsItsOwnInverseAndKeepsBytesPastCount) {
  uint8_t block[16] = {};
  EncryptFixedBlock(block, 16);
  uint8_t keyStream[16];
  std::memcpy(keyStream, block, 16);
  DecryptFixedBlock(block, 16);
  EXPECT_EQ(0, std::memcmp(block, std::array<uint8_t, 16>{}.data(), 16));

  uint8_t partial[16];
  std::memset(partial, 0x5A, sizeof partial);
  EncryptFixedBlock(partial, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(partial[i], static_cast<uint8_t>(0x5A ^ keyStream[i]));
  for (int i = 5; i < 16; ++i) EXPECT_EQ(partial[i], 0x5A);
}

}  // namespace
}  // namespace nv
