#include "base/AudioFormat.h"

namespace tonquill {

const FormatInfo* FindFormat(int code) {
    for (const auto& f : FormatTable) {
        if (f.code == code) {
            return &f;
        }
    }
    return nullptr;
}

std::string OutputExtension(int code) {
    const FormatInfo* f = FindFormat(code);
    return f ? f->extension : "";
}

}  // namespace tonquill
