// The one place that uses the block cipher: AES-128 in CFB mode with 16-byte
// feedback, restarted from a fixed initialisation vector at every call.
//
// Every call builds a fresh cipher object, so a buffer enciphered in one call
// must be deciphered in one call of the same length; the stored formats rely
// on that restart.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nv {

constexpr size_t kCipherBlockSize = 16;
constexpr size_t kCipherKeySize = 16;

// The fixed initialisation vector: "HOLLOW_ZN" and seven zero bytes.
extern const uint8_t kCipherIv[kCipherBlockSize];
// The built-in key that hides stored passwords: "RIVET_CANOPY_MQ" and a zero byte.
extern const uint8_t kFixedKey[kCipherKeySize];

// Enciphers the 16 bytes of block under the fixed key and copies the first
// count bytes (0 to 16) of the result back; the rest of block is kept.
void EncryptFixedBlock(uint8_t block[kCipherBlockSize], uint32_t count);
// The same with a decryption object (the result is identical for one block).
void DecryptFixedBlock(uint8_t block[kCipherBlockSize], uint32_t count);

// Enciphers length bytes of input into output keyed with the key bytes
// zero-padded to 16. A key longer than 16 bytes leaves output untouched.
void EncryptBuffer(uint32_t keyLength, const uint8_t* key, const uint8_t* input, size_t length,
                   uint8_t* output);
void DecryptBuffer(uint32_t keyLength, const uint8_t* key, const uint8_t* input, size_t length,
                   uint8_t* output);

}  // namespace nv
