#include "base/AudioFormat.h"

#include "base/AsciiCase.h"
namespace tonquill {

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
        if (EqualIgnoringAsciiCase(f.extension, extension)) {
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
    return AsciiUpper(format.extension);
}

std::array<const FormatInfo*, FormatTable.size()> FormatsInMenuOrder() {
    std::array<const FormatInfo*, FormatTable.size()> ordered{};
    for (const FormatInfo& f : FormatTable) {
        ordered[static_cast<size_t>(f.menuOrder)] = &f;
    }
    return ordered;
}

std::string FormatNamesText(const char* lastJoin) {
    std::string text;
    for (size_t i = 0; i < FormatTable.size(); ++i) {
        text += i == 0                        ? std::string()
                : i + 1 == FormatTable.size() ? std::string(" ") + lastJoin + " "
                                              : std::string(", ");
        text += FormatTable[i].title;
    }
    return text;
}

bool FormatHoldsTags(int code) {
    const FormatInfo* f = FindFormat(code);
    return f && f->tagKinds != 0;
}

}  // namespace tonquill
