#include "base/AudioFormat.h"

#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace tonquill {
namespace {

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(TONQUILL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The formats the program reads and writes are listed from the table, each once, in a sentence.
TEST(AudioFormatTest, NamesTextListsEveryFormatOnceEndingWithAnd) {
    const std::string text = FormatNamesText();
    for (const FormatInfo& format : FormatTable) {
        const size_t at = text.find(format.title);
        ASSERT_NE(at, std::string::npos) << format.title << " missing from: " << text;
        EXPECT_EQ(text.find(format.title, at + 1), std::string::npos) << text;
    }
    const std::string last = FormatTable.back().title;
    EXPECT_EQ(text.rfind(" and " + last), text.size() - last.size() - 5) << text;
}

// What people read first names every format the program handles: a format added to the table
// and not to the README's opening sentence fails here (the help page's is made from the table).
TEST(AudioFormatTest, ReadmeNamesEveryFormat) {
    const std::string sentence = "between " + FormatNamesText() + ".";
    for (const char* document : {"README.md"}) {
        const std::string text = ReadSourceFile(document);
        ASSERT_FALSE(text.empty()) << document;
        // Lines may be wrapped anywhere in the sentence.
        std::string flat;
        for (char c : text) {
            flat += c == '\n' ? ' ' : c;
        }
        EXPECT_NE(flat.find(sentence), std::string::npos)
            << document << " does not say: " << sentence;
    }
}

}  // namespace
}  // namespace tonquill
