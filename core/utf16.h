// Conversion between the engine's UTF-8 text and the UTF-16 code units that
// the stored formats keep, in two flavours.
//
// Lenient (Utf8ToUtf16, Utf16ToUtf8): Linux file names are byte strings that
// need not be valid UTF-8. A byte that is not part of a valid UTF-8 sequence
// becomes the lone code unit 0xDC00 + byte on the way to UTF-16 and turns back
// into that byte on the way out, so every path survives a round trip unchanged.
//
// Strict (StrictUtf8ToUtf16, StrictUtf16ToUtf8): malformed input is refused
// instead of escaped or replaced, so a text either round-trips exactly or is
// not converted at all.
#pragma once

#include <cstddef>
#include <string>

namespace nv {

std::u16string Utf8ToUtf16(const std::string& utf8);
// Other lone surrogates (possible only in text written elsewhere) become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& units);

// Number of UTF-16 code units of a UTF-8 text, converted leniently.
size_t Utf16Length(const std::string& utf8);

// False when text is not well-formed UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF included).
bool StrictUtf8ToUtf16(const std::string& text, std::u16string* out);

// False when text holds an unpaired surrogate.
bool StrictUtf16ToUtf8(const std::u16string& text, std::string* out);

}  // namespace nv
