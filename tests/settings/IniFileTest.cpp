#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "settings/IniFile.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

TEST(IniFile, ReadsLikeTheProfileFunctions) {
    IniFile ini;
    ini.SetText(
        "; comment\r\n"
        "[Output]\r\n"
        "  OutputFormat = 4 \r\n"
        "DesDir=\r\n"
        "Quoted=\"/a b/\"\r\n"
        "outputformat=9\r\n"
        "[wav]\n"
        "Freq=-1\n"
        "Channel=12abc\n"
        "SubFormat=abc\n"
        "[OUTPUT]\n"
        "SameAsSrc=1\n");
    EXPECT_EQ(ini.GetInt("OUTPUT", "OutputFormat", 2), 4);  // names match without case; first wins
    EXPECT_EQ(ini.GetString("OUTPUT", "DesDir", "default"), "");  // empty stays empty
    EXPECT_EQ(ini.GetString("OUTPUT", "Quoted", ""), "/a b/");
    EXPECT_EQ(ini.GetString("OUTPUT", "Missing", "default"), "default");
    EXPECT_EQ(ini.GetInt("WAV", "Freq", 0), -1);
    EXPECT_EQ(ini.GetInt("WAV", "Channel", 0), 12);   // the leading digits
    EXPECT_EQ(ini.GetInt("WAV", "SubFormat", 1), 0);  // present but no digits
    EXPECT_EQ(ini.GetInt("WAV", "Missing", 7), 7);
    EXPECT_EQ(ini.GetInt("OUTPUT", "SameAsSrc", 0), 0);  // only the first OUTPUT section counts
}

TEST(IniFile, WritesReplaceInPlaceAppendToTheSectionOrAddTheSection) {
    IniFile ini;
    ini.SetText("[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    ini.WriteString("a", "X", "10");  // replaced where it stands, under the written name
    ini.WriteString("A", "w", "4");   // appended after the section's last line
    ini.WriteInt("C", "v", -1);       // new section at the end of the file
    EXPECT_EQ(ini.Text(), "[A]\nX=10\ny=2\nw=4\n\n[B]\nz=3\n[C]\nv=-1\n");
}

TEST(IniFile, ProfileIntegersWrapAt32Bits) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"0", 0},
                 {"  42", 42},
                 {"+7", 7},
                 {"-32768", -32768},
                 {"4294967295", -1},
                 {"2147483648", INT32_MIN},
                 {"", 0},
                 {"-", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParseProfileInt(c.text), c.value) << c.text;
    }
}

TEST(IniFile, SaveAndLoadRoundTripThroughTheFile) {
    test::TempDir dir;
    const auto path = dir.path() / "Config.ini";
    IniFile ini;
    ini.WriteString("OUTPUT", "DesDir", "/müsic/ünïcode/");
    ASSERT_TRUE(ini.Save(path));
    IniFile back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_EQ(back.GetString("OUTPUT", "DesDir", ""), "/müsic/ünïcode/");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Config.ini.tmp"));
}

TEST(IniFile, MissingFileIsEmptyAndAFolderIsAnError) {
    test::TempDir dir;
    IniFile ini;
    EXPECT_TRUE(ini.Load(dir.path() / "absent.ini"));
    EXPECT_EQ(ini.Text(), "");
    std::filesystem::create_directory(dir.path() / "folder.ini");
    EXPECT_FALSE(ini.Load(dir.path() / "folder.ini"));
    EXPECT_FALSE(ini.Save(dir.path() / "folder.ini"));
}

}  // namespace
}  // namespace tonquill
