#include "base/Utf8Text.h"

namespace tonquill {

Utf8Char Utf8At(std::string_view text, size_t i) {
    if (i >= text.size()) {
        return {};
    }
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) {
        return {1, lead};
    }
    size_t length = 0;
    uint32_t smallest = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        smallest = 0x80;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        smallest = 0x800;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        smallest = 0x10000;
        code = lead & 0x07u;
    } else {
        return {};
    }
    if (text.size() - i < length) {
        return {};
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return {};
        }
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    return {length, code};
}

}  // namespace tonquill
