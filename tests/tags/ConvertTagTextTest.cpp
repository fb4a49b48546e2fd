#include "tags/ConvertTagText.h"

#include <gtest/gtest.h>

namespace tonquill {
namespace {

TEST(ConvertTagText, Latin1AndMislabelledUtf8AndUnicode) {
    struct Case {
        const char* name;
        TagLib::String text;
        std::string expected;
    } cases[] = {
        {"plain ASCII", TagLib::String("Abba"), "Abba"},
        {"Latin-1 text", TagLib::String("Caf\xe9", TagLib::String::Latin1), "Caf\xc3\xa9"},
        {"UTF-8 bytes labelled Latin-1", TagLib::String("Caf\xc3\xa9", TagLib::String::Latin1),
         "Caf\xc3\xa9"},
        {"Unicode beyond Latin-1", TagLib::String("\xe6\x97\xa5\xe6\x9c\xac", TagLib::String::UTF8),
         "\xe6\x97\xa5\xe6\x9c\xac"},
        {"lone lead byte stays Latin-1", TagLib::String("a\xc3", TagLib::String::Latin1),
         "a\xc3\x83"},
        {"overlong form stays Latin-1", TagLib::String("\xc0\xaf", TagLib::String::Latin1),
         "\xc3\x80\xc2\xaf"},
        {"encoded surrogate stays Latin-1", TagLib::String("\xed\xa0\x80", TagLib::String::Latin1),
         "\xc3\xad\xc2\xa0\xc2\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertTagText(c.text), c.expected) << c.name;
    }
}

TEST(ConvertTagText, EightBitRuleForId3v1) {
    EXPECT_EQ(ConvertEightBitTagText(TagLib::String("\xfc", TagLib::String::Latin1)), "\xc3\xbc");
    EXPECT_EQ(DecodeEightBitText(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace tonquill
