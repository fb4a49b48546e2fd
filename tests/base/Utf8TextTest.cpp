#include "base/Utf8Text.h"

#include <gtest/gtest.h>

namespace tonquill {
namespace {

// What counts as one UTF-8 character: the shortest form of a Unicode scalar value, whole.
TEST(Utf8TextTest, DecodesValidFormsAndRefusesTheRest) {
    struct Case {
        std::string_view bytes;
        size_t length;
        uint32_t code;
    };
    const Case cases[] = {
        {"A", 1, 0x41},
        {"\xC3\xA9", 2, 0xE9},             // é
        {"\xE2\x82\xAC", 3, 0x20AC},       // €
        {"\xF0\x9F\x8E\xB5", 4, 0x1F3B5},  // a musical note
        {"\xC0\xAF", 0, 0},                // overlong '/'
        {"\xE0\x80\xAF", 0, 0},            // overlong, three bytes
        {"\xED\xA0\x80", 0, 0},            // a surrogate
        {"\xF4\x90\x80\x80", 0, 0},        // beyond U+10FFFF
        {"\xE2\x82", 0, 0},                // cut short
        {"\xC3(", 0, 0},                   // not followed by a continuation byte
        {"\x80", 0, 0},                    // a continuation byte alone
        {"\xFF", 0, 0},
    };
    for (const Case& c : cases) {
        const Utf8Char character = Utf8At(c.bytes, 0);
        EXPECT_EQ(character.length, c.length) << testing::PrintToString(c.bytes);
        if (c.length != 0) {
            EXPECT_EQ(character.code, c.code) << testing::PrintToString(c.bytes);
        }
    }
    EXPECT_EQ(Utf8At("ab", 2).length, 0u);  // past the end
}

}  // namespace
}  // namespace tonquill
