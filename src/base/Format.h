#pragma once

#include <string>

namespace tonquill {

// printf-style formatting into a std::string, so the log texts can be kept exactly as written.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tonquill
