// Little-endian fields of the stored formats.
#pragma once

#include <cstdint>
#include <cstring>

namespace nv {

inline void PutU16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

inline uint16_t GetU16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

inline void PutU32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetU32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

inline void PutU64(uint8_t* out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t GetU64(const uint8_t* in) {
  uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value |= static_cast<uint64_t>(in[i]) << (8 * i);
  return value;
}

// A double as the 8 bytes of its IEEE 754 representation.
inline void PutF64(uint8_t* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutU64(out, bits);
}

inline double GetF64(const uint8_t* in) {
  uint64_t bits = GetU64(in);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace nv
