#include "tags/Latin1Text.h"

#include <cstdint>

namespace tonquill {
namespace {

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte that cannot lead one.
size_t SequenceLength(uint8_t lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

}  // namespace

std::string ToLatin1Bytes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        const size_t length = SequenceLength(lead);
        bool valid = length > 0 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (static_cast<uint8_t>(utf8[i + k]) & 0xC0) == 0x80;
        }
        if (!valid) {
            out.push_back('?');
            ++i;
            continue;
        }
        if (length == 1) {
            out.push_back(static_cast<char>(lead));
        } else if (length == 2) {
            // Lead bytes 0xC2 and 0xC3 are exactly the code points 0x80 to 0xFF.
            const uint32_t code =
                ((lead & 0x1Fu) << 6) | (static_cast<uint8_t>(utf8[i + 1]) & 0x3Fu);
            out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
        } else {
            out.push_back('?');
        }
        i += length;
    }
    return out;
}

TagLib::String Latin1TagText(std::string_view utf8) {
    return TagLib::String(ToLatin1Bytes(utf8), TagLib::String::Latin1);
}

}  // namespace tonquill
