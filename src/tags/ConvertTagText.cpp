#include "tags/ConvertTagText.h"

#include <cstdint>

namespace tonquill {

namespace {

// Length of the valid UTF-8 sequence at bytes[i], or 0 when it is not one (overlong forms,
// surrogates and values above U+10FFFF are refused).
size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
    const uint8_t lead = byte(i);
    size_t length;
    uint32_t min;
    uint32_t value;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) {
        return 0;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsMultiByteUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (size_t i = 0; i < bytes.size();) {
        size_t length = Utf8SequenceLength(bytes, i);
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
