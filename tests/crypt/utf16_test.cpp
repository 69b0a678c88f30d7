#include <gtest/gtest.h>

#include "crypt/utf16.h"

namespace nv {
namespace {

TEST(Utf16Test, ConvertsAndRoundTripsEveryByteString) {
  struct Case {
    std::string utf8;
    std::vector<uint16_t> units;
  };
  const Case cases[] = {
      {"", {}},
      {"a/b", {'a', '/', 'b'}},
      {"R\xC3\xA9sum\xC3\xA9 \xE2\x82\xAC", {'R', 0xE9, 's', 'u', 'm', 0xE9, ' ', 0x20AC}},
      {"\xF0\x9F\x93\x81", {0xD83D, 0xDCC1}},
      // Not UTF-8: a lone continuation byte, a truncated sequence, an overlong form.
      {"a\x80z", {'a', 0xDC80, 'z'}},
      {"\xE2\x82", {0xDCE2, 0xDC82}},
      {"\xC0\xAF", {0xDCC0, 0xDCAF}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.units) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(c.units), c.utf8) << c.utf8;
    EXPECT_EQ(Utf16Length(c.utf8), c.units.size());
  }
}

TEST(Utf16Test, ForeignLoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8({'x', 0xD800, 'y'}), "x\xEF\xBF\xBDy");
  EXPECT_EQ(Utf16ToUtf8({0xDC10}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace nv
