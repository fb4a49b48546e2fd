#include "base/AsciiCase.h"

#include <clocale>

#include <gtest/gtest.h>

namespace tonquill {
namespace {

// Only ASCII letters change case; every other byte (UTF-8 or Latin-1 names) is left as it is,
// whatever locale the toolkit has set for the process.
TEST(AsciiCaseTest, OnlyAsciiLettersChangeCase) {
    std::setlocale(LC_ALL, "");
    struct Case {
        const char* text;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"Mp3", "MP3", "mp3"},
        {"[OUTPUT] DesDir=~/x", "[OUTPUT] DESDIR=~/X", "[output] desdir=~/x"},
        {"\xC9t\xE9.WAV", "\xC9T\xE9.WAV", "\xC9t\xE9.wav"},  // Latin-1 bytes stay
        {"\xC3\x89t\xC3\xA9.wav", "\xC3\x89T\xC3\xA9.WAV", "\xC3\x89t\xC3\xA9.wav"},  // UTF-8
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AsciiUpper(c.text), c.upper) << c.text;
        EXPECT_EQ(AsciiLower(c.text), c.lower) << c.text;
        EXPECT_TRUE(EqualIgnoringAsciiCase(c.upper, c.lower)) << c.text;
    }
    EXPECT_FALSE(EqualIgnoringAsciiCase("\xC9", "\xE9"));  // É and é are different bytes
    EXPECT_FALSE(EqualIgnoringAsciiCase("wav", "wave"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("Freq", "Frez"));
    std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace tonquill
