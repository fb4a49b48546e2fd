#include "tags/ConvertTagText.h"

#include <cstdint>

#include "base/Utf8Text.h"

namespace tonquill {

namespace {

bool IsMultiByteUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8At(bytes, i).length;
        if (length == 0) {
            return false;
        }
        multiByte = multiByte || length > 1;
        i += length;
    }
    return multiByte;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string DecodeEightBitText(std::string_view bytes) {
    if (IsMultiByteUtf8(bytes)) {
        return std::string(bytes);
    }
    return Latin1ToUtf8(bytes);
}

std::string ConvertEightBitTagText(const TagLib::String& text) {
    return DecodeEightBitText(text.to8Bit(false));
}

std::string ConvertTagText(const TagLib::String& text) {
    if (text.isLatin1()) {
        return ConvertEightBitTagText(text);
    }
    // TagLib gives an empty text for a string it cannot encode (a lone surrogate).
    return text.to8Bit(true);
}

}  // namespace tonquill
