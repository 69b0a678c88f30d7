#include "crypt/cipher.h"

#include <cryptopp/aes.h>
#include <cryptopp/modes.h>

#include <algorithm>
#include <cstring>

namespace nv {

const uint8_t kCipherIv[kCipherBlockSize] = {'H', 'O', 'L', 'L', 'O', 'W', '_', 'Z', 'N', 0, 0, 0, 0, 0, 0, 0};
const uint8_t kFixedKey[kCipherKeySize] = {'R', 'I', 'V', 'E', 'T', '_', 'C', 'A',
                                           'N', 'O', 'P', 'Y', '_', 'M', 'Q', 0};

namespace {

template <typename Mode>
void Transform(const uint8_t key[kCipherKeySize], const uint8_t* input, size_t length, uint8_t* output) {
  if (length == 0) return;
  try {
    Mode mode(key, kCipherKeySize, kCipherIv);
    mode.ProcessData(output, input, length);
  } catch (const CryptoPP::Exception&) {
    // Cannot happen with a valid 16-byte key; the output is then left as it was.
  }
}

template <typename Mode>
void FixedBlock(uint8_t block[kCipherBlockSize], uint32_t count) {
  uint8_t result[kCipherBlockSize];
  std::memcpy(result, block, kCipherBlockSize);
  Transform<Mode>(kFixedKey, block, kCipherBlockSize, result);
  std::memcpy(block, result, std::min<uint32_t>(count, kCipherBlockSize));
}

template <typename Mode>
void Buffer(uint32_t keyLength, const uint8_t* key, const uint8_t* input, size_t length, uint8_t* output) {
  if (keyLength > kCipherKeySize) return;
  uint8_t padded[kCipherKeySize] = {};
  if (keyLength) std::memcpy(padded, key, keyLength);
  Transform<Mode>(padded, input, length, output);
}

using Encryption = CryptoPP::CFB_Mode<CryptoPP::AES>::Encryption;
using Decryption = CryptoPP::CFB_Mode<CryptoPP::AES>::Decryption;

}  // namespace

void EncryptFixedBlock(uint8_t block[kCipherBlockSize], uint32_t count) { FixedBlock<Encryption>(block, count); }

void DecryptFixedBlock(uint8_t block[kCipherBlockSize], uint32_t count) { FixedBlock<Decryption>(block, count); }

void EncryptBuffer(uint32_t keyLength, const uint8_t* key, const uint8_t* input, size_t length,
                   uint8_t* output) {
  Buffer<Encryption>(keyLength, key, input, length, output);
}

void DecryptBuffer(uint32_t keyLength, const uint8_t* key, const uint8_t* input, size_t length,
                   uint8_t* output) {
  Buffer<Decryption>(keyLength, key, input, length, output);
}

}  // namespace nv
