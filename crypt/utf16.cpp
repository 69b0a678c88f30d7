#include "crypt/utf16.h"

namespace nv {
namespace {

constexpr uint16_t kEscapeBase = 0xDC00;
constexpr uint32_t kReplacement = 0xFFFD;

// Length of the valid UTF-8 sequence at text[i] and its code point; 0 when the
// byte does not start one (overlong forms and surrogates are invalid).
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t* codePoint) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  uint8_t lead = byte(i);
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  }
  size_t length;
  uint32_t value, minimum;
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
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *codePoint = value;
  return length;
}

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::vector<uint16_t> Utf8ToUtf16(const std::string& utf8) {
  std::vector<uint16_t> units;
  units.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    size_t length = DecodeUtf8(utf8, i, &cp);
    if (length == 0) {
      units.push_back(static_cast<uint16_t>(kEscapeBase + static_cast<uint8_t>(utf8[i])));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
      units.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      units.push_back(static_cast<uint16_t>(cp));
    }
    i += length;
  }
  return units;
}

std::string Utf16ToUtf8(const std::vector<uint16_t>& units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    uint16_t unit = units[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      AppendUtf8(0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) + (units[i + 1] - 0xDC00), &out);
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(unit - kEscapeBase));
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(kReplacement, &out);
    } else {
      AppendUtf8(unit, &out);
    }
  }
  return out;
}

size_t Utf16Length(const std::string& utf8) { return Utf8ToUtf16(utf8).size(); }

}  // namespace nv
