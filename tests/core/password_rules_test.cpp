#include "core/password_rules.h"

#include <string>

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(PasswordRulesTest, ChecksInTheOrderTheUserSeesThem) {
  const std::string kEmpty = "Please input password.";
  const std::string kShort = "Password is too short.";
  const std::string kMismatch = "Password and Confirm does not match.";
  const std::string kLong = kPasswordTooLongText;
  const std::string ae = "\xC3\xA4";  // one character, two bytes
  const struct {
    std::string password;
    bool confirm;
    std::string confirmation;
    std::string message;
  } cases[] = {
      {"", false, "", kEmpty},
      {"", true, "abcdef", kEmpty},
      {"abcde", false, "", kShort},
      {"abcde", true, "abcdX", kShort},
      {"abcdef", false, "ignored", ""},
      {"abcdef", true, "abcdef", ""},
      {"abcdef", true, "abcdeF", kMismatch},
      {std::string(16, 'p'), false, "", ""},
      {std::string(17, 'p'), false, "", kLong},
      {ae + ae + ae + ae + ae, false, "", kShort},  // counted in characters, not bytes
      {std::string(8, 'p') + ae + ae + ae + ae, false, "", ""},
      {std::string(13, 'p') + ae + ae, false, "", kLong},  // 15 characters, 17 bytes
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckPasswordEntry(c.password, c.confirm, c.confirmation), c.message)
        << c.password << " / " << c.confirmation;
  EXPECT_EQ(CountCharacters("a" + ae + "b"), 3u);
}

}  // namespace
}  // namespace nv
