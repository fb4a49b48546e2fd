#include "tags/Latin1Text.h"

#include <cstdint>

#include "base/Utf8Text.h"

namespace tonquill {

std::string ToLatin1Bytes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const Utf8Char character = Utf8At(utf8, i);
        if (character.length == 0) {
            out.push_back('?');
            ++i;
            continue;
        }
        // Code points up to 0xFF are exactly the Latin-1 bytes.
        out.push_back(character.code <= 0xFF ? static_cast<char>(character.code) : '?');
        i += character.length;
    }
    return out;
}

TagLib::String Latin1TagText(std::string_view utf8) {
    return TagLib::String(ToLatin1Bytes(utf8), TagLib::String::Latin1);
}

}  // namespace tonquill
