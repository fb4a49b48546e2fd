#include "cli/JsonText.h"

#include "base/Format.h"
#include "base/Utf8Text.h"

namespace tonquill {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8At(text, i).length;
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            i += 1;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20) {
            out += Format("\\u%04x", c);
        } else {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out + "\"";
}

}  // namespace tonquill
