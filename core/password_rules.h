// The rules every front end applies to a typed password before it is used.
#pragma once

#include <string>

namespace nv {

constexpr size_t kMaxPasswordChars = 16;
constexpr size_t kMinPasswordChars = 6;
constexpr size_t kMaxPasswordBytes = 16;

// Checks a typed password (UTF-8). With confirm set, confirmation must equal
// it exactly. Returns "" when accepted, else the message to show:
// "Please input password.", "Password is too short.",
// "Password and Confirm does not match." or the too-long message.
std::string CheckPasswordEntry(const std::string& password, bool confirm,
                               const std::string& confirmation);

// Shown when the stored form of a password would exceed 16 bytes.
constexpr const char* kPasswordTooLongText =
    "Password is too long: at most 16 bytes (16 plain ASCII characters).";

// Number of characters (Unicode code points) of a UTF-8 text.
size_t CountCharacters(const std::string& utf8);

}  // namespace nv
