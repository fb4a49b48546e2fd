#include <string>

#include <gtest/gtest.h>

#include "tags/Latin1Text.h"

namespace tonquill {
namespace {

TEST(Latin1TextTest, KeepsLatin1AndMarksEverythingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain ASCII", "plain ASCII"},
        {"Café Müller ÿ", "Caf\xE9 M\xFCller \xFF"},
        {"東京", "??"},                      // three-byte characters
        {"a🎵b", "a?b"},                      // a four-byte character is one mark
        {"bad \xFF\xC3 end", "bad ?? end"},  // bytes that are not UTF-8
        {"cut \xE6\x9D", "cut ??"},          // a sequence cut short at the end
        {"", ""},
    };
    for (const auto& [utf8, latin1] : cases) {
        EXPECT_EQ(ToLatin1Bytes(utf8), latin1) << utf8;
    }
    EXPECT_EQ(Latin1TagText("Café").to8Bit(true), "Café");
}

}  // namespace
}  // namespace tonquill
