#include <gtest/gtest.h>

#include "core/utf16.h"

namespace nv {
namespace {

TEST(Utf16Test, ConvertsAndRoundTripsEveryByteString) {
  struct Case {
    std::string utf8;
    std::u16string units;
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

// The strict pair shares the lenient pair's decoding: valid text converts to
// the same units, and what the lenient pair escapes or replaces is refused.
TEST(Utf16Test, StrictConversionsRefuseWhatTheLenientOnesEscape) {
  const std::string valid = "R\xC3\xA9 \xF0\x9F\x93\x81";
  std::u16string units;
  std::string text;
  ASSERT_TRUE(StrictUtf8ToUtf16(valid, &units));
  EXPECT_EQ(units, Utf8ToUtf16(valid));
  ASSERT_TRUE(StrictUtf16ToUtf8(units, &text));
  EXPECT_EQ(text, valid);
  for (const char* bad : {"a\x80z", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(StrictUtf8ToUtf16(bad, &units)) << bad;
  for (const std::u16string& bad : {std::u16string(u"a\xDC80"), std::u16string(u"x\xD83D"),
                                    std::u16string(u"\xD800y")})
    EXPECT_FALSE(StrictUtf16ToUtf8(bad, &text));
}

}  // namespace
}  // namespace nv
