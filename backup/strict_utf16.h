// Conversions between the engine's UTF-8 names and the UTF-16 text the image
// stores. Both refuse malformed input instead of replacing it, so a name either
// round-trips exactly or is not converted at all.
#pragma once

#include <string>

namespace nv {

// False when text is not well-formed UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF included).
bool StrictUtf8ToUtf16(const std::string& text, std::u16string* out);

// False when text holds an unpaired surrogate.
bool StrictUtf16ToUtf8(const std::u16string& text, std::string* out);

}  // namespace nv
