#include "backup/strict_utf16.h"

namespace nv {
namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one code point starting at text[*i] and advances *i past it.
bool DecodeUtf8(const std::string& text, size_t* i, char32_t* code) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(*i);
  size_t length;
  char32_t value;
  char32_t minimum;
  if (lead < 0x80) {
    *code = lead;
    *i += 1;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return false;
  }
  if (text.size() - *i < length) return false;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(byte(*i + k))) return false;
    value = (value << 6) | (byte(*i + k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *code = value;
  *i += length;
  return true;
}

void EncodeUtf8(char32_t code, std::string* out) {
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

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool StrictUtf8ToUtf16(const std::string& text, std::u16string* out) {
  out->clear();
  size_t i = 0;
  while (i < text.size()) {
    char32_t code;
    if (!DecodeUtf8(text, &i, &code)) return false;
    if (code < 0x10000) {
      out->push_back(static_cast<char16_t>(code));
    } else {
      code -= 0x10000;
      out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
  }
  return true;
}

bool StrictUtf16ToUtf8(const std::u16string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    char32_t code = unit;
    if (IsHighSurrogate(unit)) {
      if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1])) return false;
      code = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsLowSurrogate(unit)) {
      return false;
    }
    EncodeUtf8(code, out);
  }
  return true;
}

}  // namespace nv
