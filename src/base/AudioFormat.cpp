#include "base/AudioFormat.h"

namespace tonquill {
namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

const FormatInfo* FindFormat(int code) {
    for (const auto& f : FormatTable) {
        if (f.code == code) {
            return &f;
        }
    }
    return nullptr;
}

const FormatInfo* FindFormatByExtension(std::string_view extension) {
    for (const auto& f : FormatTable) {
        const std::string_view own = f.extension;
        bool same = own.size() == extension.size();
        for (size_t i = 0; same && i < own.size(); ++i) {
            same = Upper(own[i]) == Upper(extension[i]);
        }
        if (same) {
            return &f;
        }
    }
    return nullptr;
}

std::string OutputExtension(int code) {
    const FormatInfo* f = FindFormat(code);
    return f ? f->extension : "";
}

std::string UpperCaseExtension(const FormatInfo& format) {
    std::string text = format.extension;
    for (char& c : text) {
        c = Upper(c);
    }
    return text;
}

int AllFilterBits() {
    int bits = 0;
    for (const auto& f : FormatTable) {
        bits |= f.filterBit;
    }
    return bits;
}

std::string FormatNamesText() {
    std::string text;
    for (size_t i = 0; i < FormatTable.size(); ++i) {
        text += i == 0 ? "" : i + 1 == FormatTable.size() ? " and " : ", ";
        text += FormatTable[i].title;
    }
    return text;
}

bool FormatHoldsTags(int code) {
    const FormatInfo* f = FindFormat(code);
    return f && f->tagKinds != 0;
}

}  // namespace tonquill
