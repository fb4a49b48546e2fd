#pragma once

#include <string>
#include <string_view>

namespace tonquill {

// Letter case of ASCII alone, whatever the process's locale (the toolkit sets it from the
// desktop, and std::tolower then maps bytes of UTF-8 names in a Latin-1 or Turkish locale).
// Settings names, extensions and option words are ASCII; other bytes pass unchanged.
char AsciiUpper(char c);
char AsciiLower(char c);
std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace tonquill
