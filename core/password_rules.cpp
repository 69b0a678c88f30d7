#include "core/password_rules.h"

#include "core/file_utils.h"

namespace nv {

size_t CountCharacters(const std::string& utf8) {
  size_t count = 0;
  for (unsigned char c : utf8)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

std::string CheckPasswordEntry(const std::string& password, bool confirm,
                               const std::string& confirmation) {
  if (password.empty()) return "Please input password.";
  size_t characters = CountCharacters(password);
  if (characters <= 5) return "Password is too short.";
  if (confirm && password != confirmation) return "Password and Confirm does not match.";
  // The edit takes 16 characters at most; the stored form must also fit 16 bytes.
  if (characters > kMaxPasswordChars || ToAnsi(password).size() > kMaxPasswordBytes)
    return kPasswordTooLongText;
  return "";
}

}  // namespace nv
