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

std::vector<std::string> SourceExtensions(const FormatInfo& format) {
    std::vector<std::string> extensions{format.extension};
    std::string_view more = format.moreExtensions;
    while (!more.empty()) {
        const size_t space = more.find(' ');
        const std::string_view word = more.substr(0, space);
        if (!word.empty()) {
            extensions.emplace_back(word);
        }
        more = space == std::string_view::npos ? std::string_view() : more.substr(space + 1);
    }
    return extensions;
}

const FormatInfo* FindFormatByExtension(std::string_view extension) {
    for (const auto& f : FormatTable) {
        for (const std::string& own : SourceExtensions(f)) {
            if (EqualIgnoringAsciiCase(own, extension)) {
                return &f;
            }
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
