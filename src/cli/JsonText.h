#pragma once

#include <string>
#include <string_view>

namespace tonquill {

// text as a JSON string literal, quotes included. Bytes that do not form UTF-8 (paths and tags
// may hold any bytes) become U+FFFD, so the output always parses.
std::string JsonString(std::string_view text);

}  // namespace tonquill
