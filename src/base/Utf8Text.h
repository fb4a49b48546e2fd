#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tonquill {

// One character of a UTF-8 text.
struct Utf8Char {
    size_t length = 0;  // bytes it takes; 0 when the bytes there are not valid UTF-8
    uint32_t code = 0;  // its code point
};

// The character at text[i]. Overlong forms, surrogates, values beyond U+10FFFF and sequences
// cut short are not valid UTF-8: they give length 0, and callers decide what stands for them.
Utf8Char Utf8At(std::string_view text, size_t i);

}  // namespace tonquill
