#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "settings/SettingsFields.h"
#include "settings/SettingsStore.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingObserver observer;
    std::filesystem::path folder = dir.path() / "config/Tonquill";
    SettingsStore store{folder, observer};
};

TEST_F(SettingsStoreTest, FirstRunCreatesAnEmptyFileAndTheFirstExitWritesEveryKeyInOrder) {
    ConversionSettings s;
    store.StartUp(s);
    ASSERT_TRUE(std::filesystem::exists(folder / "Config.ini"));
    EXPECT_EQ(std::filesystem::file_size(folder / "Config.ini"), 0u);
    EXPECT_EQ(s.OUTPUT.DesDir, SettingsStore::DefaultOutputFolder());
    EXPECT_TRUE(observer.messages().empty());

    ASSERT_TRUE(store.SaveSettings(s, "/home/me/Music/"));
    EXPECT_EQ(ReadText(folder / "Config.ini"),
              "[OUTPUT]\nOutputFormat=2\nSameAsSrc=0\nFilter=" + std::to_string(AllFilterBits()) +
                  "\nFilterKnown=" + std::to_string(AllFilterBits()) +
                  "\nDesDir=" + s.OUTPUT.DesDir +
                  "\nLastDir=/home/me/Music/\nKeepFolders=0\nNamePattern=\nCopyCovers=0\nJobs=0\n"
                  "[WAV]\nSubFormat=1\nFreq=0\nChannel=0\n"
                  "[MP3]\nLameBits=11\nLameChannel=0\nFreq=0\n"
                  "[WMA]\nProfile=47\n"
                  "[OGG]\nChannel=0\nFreq=0\nQualityCompression=3\n"
                  "[FLAC]\nLevel=5\nBits=16\n"
                  "[OPUS]\nBitrate=128\n[AIFF]\nBits=16\n");
}

// A file written before FLAC and 24-bit WAV existed keeps its meaning: its filter still accepts
// the four formats it named, and the new section takes its defaults.
TEST_F(SettingsStoreTest, FileOfTheFourFormatsLoadsUnchanged) {
    std::filesystem::create_directories(folder);
    WriteText(folder / "Config.ini",
              "[OUTPUT]\nOutputFormat=1\nSameAsSrc=0\nFilter=15\nDesDir=/tmp/\nLastDir=\n"
              "[WAV]\nSubFormat=1\nFreq=0\nChannel=0\n");
    ConversionSettings s;
    ASSERT_TRUE(store.LoadSettings(s));
    // The formats added after the first six are accepted as in a new file.
    EXPECT_EQ(s.OUTPUT.Filter,
              FilterWav | FilterMp3 | FilterWma | FilterOgg | (AllFilterBits() & ~63));
    EXPECT_EQ(s.WAV.SubFormat, 1);
    EXPECT_EQ(s.FLAC.Level, 5);
    EXPECT_EQ(s.FLAC.Bits, 16);
    EXPECT_EQ(s.OPUS.Bitrate, 128);
}

TEST_F(SettingsStoreTest, EveryFieldRoundTripsIncludingNegativeQualityAndEmptyFolders) {
    ConversionSettings s;
    store.StartUp(s);
    s.OUTPUT.OutputFormat = FormatOgg;
    s.OUTPUT.SameAsSrc = 1;
    s.OUTPUT.Filter = 5;
    s.OUTPUT.DesDir = "";
    s.WAV = {0, 9, 2};
    s.MP3.LameBits = 16;
    s.MP3.LameChannel = 4;
    s.MP3.Freq = 3;
    s.WMA.Profile = 12;
    s.OGG = {1, 7, -1};
    s.FLAC = {0, 24};
    ASSERT_TRUE(store.SaveSettings(s, ""));

    ConversionSettings back;
    ASSERT_TRUE(store.LoadSettings(back));
    EXPECT_EQ(back.OUTPUT.OutputFormat, FormatOgg);
    EXPECT_EQ(back.OUTPUT.SameAsSrc, 1);
    EXPECT_EQ(back.OUTPUT.Filter, 5);
    EXPECT_EQ(back.OUTPUT.DesDir, "");  // an empty folder is not replaced by the default
    EXPECT_EQ(back.OUTPUT.LastDir, "");
    EXPECT_EQ(back.WAV.SubFormat, 0);
    EXPECT_EQ(back.WAV.Freq, 9);
    EXPECT_EQ(back.WAV.Channel, 2);
    EXPECT_EQ(back.MP3.LameBits, 16);
    EXPECT_EQ(back.MP3.LameChannel, 4);
    EXPECT_EQ(back.MP3.Freq, 3);
    EXPECT_EQ(back.WMA.Profile, 12);
    EXPECT_EQ(back.OGG.Channel, 1);
    EXPECT_EQ(back.OGG.Freq, 7);
    EXPECT_EQ(back.OGG.QualityCompression, -1);
    EXPECT_EQ(back.FLAC.Level, 0);
    EXPECT_EQ(back.FLAC.Bits, 24);
    EXPECT_FLOAT_EQ(VorbisQuality(back.OGG.QualityCompression), -0.1f);
    EXPECT_NE(ReadText(folder / "Config.ini").find("QualityCompression=-1\n"), std::string::npos);
}

// A format added since the file was written is accepted by folder loads, as in a new file; the
// types the person had the choice of keep their boxes as they left them.
TEST_F(SettingsStoreTest, AFormatAddedSinceTheFileWasWrittenIsAccepted) {
    struct Case {
        const char* stored;
        int32_t known;  // the formats the file's Filter had the choice of
        int32_t filter;
    };
    const Case cases[] = {
        {"Filter=63\n", 63, 63},                         // from before FilterKnown: six formats
        {"Filter=1\n", 63, 1},                           // WAV alone among the six
        {"Filter=1\nFilterKnown=1\n", 1, 1},             // a file that knew only WAV
        {"Filter=0\nFilterKnown=", AllFilterBits(), 0},  // every box cleared, none added since
    };
    std::filesystem::create_directories(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        std::string text = std::string("[OUTPUT]\n") + c.stored;
        if (text.back() == '=') {
            text += std::to_string(AllFilterBits()) + "\n";
        }
        WriteText(folder / "Config.ini", text);
        ConversionSettings s;
        ASSERT_TRUE(store.LoadSettings(s));
        EXPECT_EQ(s.OUTPUT.Filter, c.filter | (AllFilterBits() & ~c.known));
        EXPECT_EQ(s.OUTPUT.FilterKnown, AllFilterBits());
    }
}

TEST_F(SettingsStoreTest, PartialAndGarbageFilesLoadWithoutRangeChecks) {
    std::filesystem::create_directories(folder);
    WriteText(folder / "Config.ini", "[OUTPUT]\nOutputFormat=4\n");
    ConversionSettings s;
    s.MP3.LameBits = 3;  // not in the file: falls back to the default, not the old value
    store.StartUp(s);
    EXPECT_EQ(s.OUTPUT.OutputFormat, FormatOgg);
    EXPECT_EQ(s.MP3.LameBits, 11);
    EXPECT_EQ(s.OUTPUT.DesDir, SettingsStore::DefaultOutputFolder());

    WriteText(folder / "Config.ini",
              "\x01\x02garbage\n[MP3]\nLameBits=70000\nFreq=-5\n[OGG]\nQualityCompression=x\n");
    ASSERT_TRUE(store.LoadSettings(s));
    EXPECT_EQ(s.MP3.LameBits, static_cast<int16_t>(70000));  // low 16 bits kept
    EXPECT_EQ(s.MP3.Freq, -5);
    EXPECT_EQ(s.OGG.QualityCompression, 0);
    // The encoders still get usable values out of the nonsense.
    EXPECT_EQ(Mp3Bitrate(s.MP3.LameBits), 128);
    EXPECT_EQ(ResolveSampleRate(s.MP3.Freq, 44100), 44100);
}

TEST_F(SettingsStoreTest, OutputFolderIsReadAsTheFolderItNames) {
    // A hand-edited DesDir: a missing final '/' would glue the folder's name to every output's.
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/";
    const std::string homeSlash = home.back() == '/' ? home : home + "/";
    struct Case {
        const char* stored;
        std::string loaded;
    };
    const Case cases[] = {
        {"/home/me/out", "/home/me/out/"},
        {"/home/me/out/", "/home/me/out/"},
        {"/", "/"},
        {"~/out", home + "/out/"},
        {"~", homeSlash},
        {"Music/converted", homeSlash + "Music/converted/"},
        {"", ""},
    };
    std::filesystem::create_directories(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteText(folder / "Config.ini", std::string("[OUTPUT]\nDesDir=") + c.stored + "\n");
        ConversionSettings s;
        ASSERT_TRUE(store.LoadSettings(s));
        EXPECT_EQ(s.OUTPUT.DesDir, c.loaded);
    }
}

TEST_F(SettingsStoreTest, ResetDeletesTheFileAndRestoresEveryDefault) {
    ConversionSettings s;
    store.StartUp(s);
    s.OUTPUT.OutputFormat = FormatWav;
    s.OGG.QualityCompression = 10;
    ASSERT_TRUE(store.SaveSettings(s, "/somewhere/"));
    ASSERT_TRUE(store.ResetSettings(s));
    EXPECT_FALSE(std::filesystem::exists(folder / "Config.ini"));
    EXPECT_EQ(s.OUTPUT.OutputFormat, FormatMp3);
    EXPECT_EQ(s.OGG.QualityCompression, 3);
    EXPECT_EQ(s.OUTPUT.LastDir, "");
    EXPECT_EQ(s.OUTPUT.DesDir, SettingsStore::DefaultOutputFolder());
}

TEST_F(SettingsStoreTest, AFolderRemovedSinceStartUpIsMadeAgainOnSave) {
    ConversionSettings s;
    store.StartUp(s);
    s.OUTPUT.Jobs = 3;
    std::filesystem::remove_all(dir.path() / "config");
    ASSERT_TRUE(store.SaveSettings(s, "/home/me/"));
    EXPECT_TRUE(observer.messages().empty());
    ConversionSettings loaded;
    ASSERT_TRUE(store.LoadSettings(loaded));
    EXPECT_EQ(loaded.OUTPUT.Jobs, 3);
}

TEST_F(SettingsStoreTest, FailuresAreShownAndNothingStops) {
    // A settings "folder" that is a file cannot be created, and the file in it cannot be written.
    WriteText(dir.path() / "config", "not a folder");
    ConversionSettings s;
    store.StartUp(s);
    ASSERT_EQ(observer.messages().size(), 1u);
    EXPECT_EQ(observer.messages()[0], "Fail to create folder " + folder.string() + " !!");
    EXPECT_EQ(s.OUTPUT.OutputFormat, FormatMp3);  // defaults stay in force

    EXPECT_FALSE(store.SaveSettings(s, ""));
    EXPECT_EQ(observer.messages().back(), "An error occurred while saving settings!");
}

TEST_F(SettingsStoreTest, UnreadableFileKeepsTheValuesAndSaysSo) {
    std::filesystem::create_directories(folder / "Config.ini");  // a folder in the file's place
    ConversionSettings s;
    s.OGG.Freq = 4;
    EXPECT_FALSE(store.LoadSettings(s));
    EXPECT_EQ(observer.messages().back(), "An Error Occurred while loading settings!");
    EXPECT_EQ(s.OGG.Freq, 4);
}

TEST(SettingsFieldTable, NamesEachKeyOnceAndShowsTheRecordsValues) {
    ConversionSettings settings;
    settings.OUTPUT.DesDir = "/music/out/";
    settings.OGG.QualityCompression = -1;
    std::map<std::string, std::string> texts;
    for (const SettingsField& field : SettingsFieldTable) {
        const std::string name = std::string(field.section) + "/" + field.key;
        EXPECT_TRUE(texts.emplace(name, SettingsFieldText(field, settings)).second) << name;
    }
    EXPECT_EQ(texts["OUTPUT/DesDir"], "/music/out/");
    EXPECT_EQ(texts["OGG/QualityCompression"], "-1");
    EXPECT_EQ(texts["WMA/Profile"], "47");
    EXPECT_EQ(texts["OUTPUT/Filter"], std::to_string(AllFilterBits()));
    EXPECT_EQ(texts["OUTPUT/LastDir"], "");
}

TEST(ResolveSampleRate, FixedIndexesAndTheAutomaticWalk) {
    struct Case {
        int index, source, result;
    } cases[] = {{0, 44100, 44100}, {0, 7000, 8000},    {0, 8000, 8000},    {0, 8001, 11025},
                 {0, 46000, 48000}, {0, 96000, 48000},  {5, 44100, 22050},  {9, 8000, 48000},
                 {1, 96000, 8000},  {10, 44100, 44100}, {-3, 22050, 22050}, {0, -1, 48000}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveSampleRate(c.index, c.source), c.result)
            << "index " << c.index << " source " << c.source;
    }
}

TEST(ResolveChannelCount, AutomaticCapsAtStereoAndCodesChooseTheCount) {
    struct Case {
        int code, source, result;
    } cases[] = {{0, 6, 2}, {0, 1, 1}, {0, 2, 2}, {1, 2, 1}, {1, 6, 1},
                 {2, 1, 2}, {3, 1, 2}, {4, 1, 2}, {7, 1, 1}, {-1, 6, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveChannelCount(c.code, c.source), c.result)
            << "code " << c.code << " source " << c.source;
    }
}

TEST(FormatTables, ExtensionsBitratesAndQualities) {
    EXPECT_EQ(OutputExtension(FormatWav), "wav");
    EXPECT_EQ(OutputExtension(FormatMp3), "mp3");
    EXPECT_EQ(OutputExtension(FormatWma), "wma");
    EXPECT_EQ(OutputExtension(FormatOgg), "ogg");
    EXPECT_EQ(OutputExtension(9), "");
    EXPECT_EQ(Mp3Bitrate(11), 128);
    EXPECT_EQ(Mp3Bitrate(0), 8);
    EXPECT_EQ(Mp3Bitrate(16), 320);
    EXPECT_EQ(Mp3Bitrate(17), 128);
    EXPECT_FLOAT_EQ(VorbisQuality(10), 1.0f);
    EXPECT_FLOAT_EQ(VorbisQuality(3), 0.3f);
}

}  // namespace
}  // namespace tonquill
