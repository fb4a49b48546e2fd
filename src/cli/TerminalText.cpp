#include "cli/TerminalText.h"

#include "base/Format.h"

namespace tonquill {

std::string TerminalText(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            shown += Format("\\x%02X", byte);
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 to U+009F: terminals read U+009B as the start of a control sequence.
            shown += Format("\\u%04X", static_cast<unsigned char>(text[i + 1]));
            ++i;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

}  // namespace tonquill
