#pragma once

#include <string>
#include <string_view>

#include <taglib/tstring.h>

namespace tonquill {

// Turns a TagLib text into the row's UTF-8 text. A text whose characters all fit in Latin-1 is
// taken byte for byte through the 8-bit rule of DecodeEightBitText, because tag writers often
// store UTF-8 bytes in a frame labelled Latin-1; any other text is taken as Unicode.
std::string ConvertTagText(const TagLib::String& text);

// ID3v1 texts have no encoding of their own: always the 8-bit rule.
std::string ConvertEightBitTagText(const TagLib::String& text);

// The 8-bit rule: bytes that form valid UTF-8 with at least one multi-byte sequence are UTF-8;
// anything else is Latin-1. The result is always valid UTF-8.
std::string DecodeEightBitText(std::string_view bytes);

}  // namespace tonquill
