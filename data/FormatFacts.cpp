// Writes a file of the desktop integration from its template, with the format lists filled in
// from the format table, so the desktop entry and the help page name every format the program
// has:  tonquill-format-facts TEMPLATE OUTPUT
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "base/AudioFormat.h"

namespace {

using tonquill::FormatInfo;
using tonquill::FormatsInMenuOrder;
using tonquill::FormatTable;

// "A, B or C" of the formats in menu order, each made by piece.
template <typename Piece>
std::string MenuList(Piece piece, const char* join, const char* lastJoin) {
    const auto formats = FormatsInMenuOrder();
    std::string text;
    for (size_t i = 0; i < formats.size(); ++i) {
        text += i == 0 ? "" : i + 1 == formats.size() ? lastJoin : join;
        text += piece(*formats[i]);
    }
    return text;
}

std::string Filled(std::string text) {
    const std::pair<std::string, std::string> fields[] = {
        {"@FORMAT_TITLES@", tonquill::FormatNamesText()},
        {"@FORMAT_NAMES_OR@",
         MenuList([](const FormatInfo& f) { return std::string(f.name); }, ", ", " or ")},
        {"@TYPE_PATTERNS@",
         MenuList([](const FormatInfo& f) { return std::string("*.") + f.extension; }, ", ", ", ")},
        {"@FORMAT_KEYWORDS@",
         MenuList([](const FormatInfo& f) { return std::string(f.extension) + ";"; }, "", "")},
        {"@MIME_TYPES@",
         [] {
             std::string types;
             for (const FormatInfo& f : FormatTable) {
                 types += f.mimeTypes;
             }
             return types;
         }()},
        {"@FORMAT_HELP_ROWS@", MenuList(
                                   [](const FormatInfo& f) {
                                       return std::string("<tr><td>") + f.helpSetting +
                                              "</td><td>" + f.helpMeaning + "</td></tr>";
                                   },
                                   "\n", "\n")},
    };
    for (const auto& [name, value] : fields) {
        for (size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + value.size())) {
            text.replace(at, name.size(), value);
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tonquill-format-facts TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "tonquill-format-facts: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << Filled(text);
    if (!out.flush()) {
        std::cerr << "tonquill-format-facts: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
