#pragma once

#include <string>
#include <string_view>

#include <taglib/tstring.h>

namespace tonquill {

// ID3v1 fields have no text encoding of their own: they hold 8-bit Latin-1. These turn a UTF-8
// tag text into Latin-1 bytes; a character outside Latin-1 (and a byte that is not valid UTF-8)
// becomes '?', so a non-Latin text never turns into unrelated letters.
std::string ToLatin1Bytes(std::string_view utf8);

// The same bytes as a TagLib text labelled Latin-1, byte for byte.
TagLib::String Latin1TagText(std::string_view utf8);

}  // namespace tonquill
