// Conversion between the engine's UTF-8 text and the UTF-16 code units that
// the stored formats keep.
//
// Linux file names are byte strings that need not be valid UTF-8. A byte that
// is not part of a valid UTF-8 sequence becomes the lone code unit
// 0xDC00 + byte on the way to UTF-16 and turns back into that byte on the way
// out, so every path survives a round trip unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nv {

std::vector<uint16_t> Utf8ToUtf16(const std::string& utf8);
// Other lone surrogates (possible only in text written elsewhere) become U+FFFD.
std::string Utf16ToUtf8(const std::vector<uint16_t>& units);

// Number of UTF-16 code units of a UTF-8 text.
size_t Utf16Length(const std::string& utf8);

}  // namespace nv
