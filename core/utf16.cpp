#include "core/utf16.h"

namespace nv {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// Length of the well-formed UTF-8 sequence at text[i] and its code point; 0
// when the byte does not start one (overlong forms and surrogates are invalid).
size_t DecodeUtf8(const std::string& text, size_t i, char32_t* code) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  size_t length;
  char32_t value, minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || IsSurrogate(value)) return 0;
  *code = value;
  return length;
}

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

void AppendUtf16(char32_t code, std::u16string* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

// True when units[i] and units[i + 1] form a surrogate pair; *code is its code point.
bool DecodePair(const std::u16string& units, size_t i, char32_t* code) {
  if (!IsHighSurrogate(units[i]) || i + 1 >= units.size() || !IsLowSurrogate(units[i + 1])) return false;
  *code = 0x10000 + ((static_cast<char32_t>(units[i]) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
  return true;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t code = 0;
    size_t length = DecodeUtf8(utf8, i, &code);
    if (length == 0) {
      units.push_back(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(utf8[i])));
      ++i;
      continue;
    }
    AppendUtf16(code, &units);
    i += length;
  }
  return units;
}

std::string Utf16ToUtf8(const std::u16string& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char16_t unit = units[i];
    char32_t code = 0;
    if (DecodePair(units, i, &code)) {
      AppendUtf8(code, &out);
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(unit - kEscapeBase));
    } else if (IsSurrogate(unit)) {
      AppendUtf8(kReplacement, &out);
    } else {
      AppendUtf8(unit, &out);
    }
  }
  return out;
}

size_t Utf16Length(const std::string& utf8) { return Utf8ToUtf16(utf8).size(); }

bool StrictUtf8ToUtf16(const std::string& text, std::u16string* out) {
  out->clear();
  for (size_t i = 0; i < text.size();) {
    char32_t code = 0;
    size_t length = DecodeUtf8(text, i, &code);
    if (length == 0) return false;
    AppendUtf16(code, out);
    i += length;
  }
  return true;
}

bool StrictUtf16ToUtf8(const std::u16string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = 0;
    if (DecodePair(text, i, &code)) {
      ++i;
    } else if (IsSurrogate(text[i])) {
      return false;
    } else {
      code = text[i];
    }
    AppendUtf8(code, out);
  }
  return true;
}

}  // namespace nv
