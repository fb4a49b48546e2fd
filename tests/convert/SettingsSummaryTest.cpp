#include "convert/SettingsSummary.h"

#include <gtest/gtest.h>

namespace tonquill {
namespace {

struct SummaryCase {
    const char* name;
    void (*adjust)(ConversionSettings&);
    const char* text;
};

const SummaryCase SummaryCases[] = {
    {"DefaultsAreMp3Automatic", [](ConversionSettings&) {},
     "MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"},
    {"Mp3PadsBitrateAndRate",
     [](ConversionSettings& s) {
         s.MP3.LameBits = 0;
         s.MP3.Freq = 8;
         s.MP3.LameChannel = 3;
     },
     "MP3:  CBR   8 kbps; 44100 Hz; Joint Stereo;"},
    {"WavSigned16Mono8000",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 1;
         s.WAV.SubFormat = 1;
         s.WAV.Freq = 1;
         s.WAV.Channel = 1;
     },
     "WAV:  Signed 16 bit PCM  8000 Hz; Mono;"},
    {"OggNegativeQuality",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 4;
         s.OGG.Freq = 0;
         s.OGG.Channel = 2;
         s.OGG.QualityCompression = -1;
     },
     "OGG: Automatic Frequency; Stereo; Quality : -0.1;"},
    {"WavUnsigned8Automatic",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 1;
         s.WAV.SubFormat = 0;
     },
     "WAV:  Unsigned 8 bit PCM Automatic Frequency; Automatic Channel;"},
    {"WavOddSubFormatStartsWithRate",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 1;
         s.WAV.SubFormat = 3;
         s.WAV.Freq = 9;
         s.WAV.Channel = 2;
     },
     " 48000 Hz; Stereo;"},
    {"Mp3ChannelCode5HasNoChannelPiece",
     [](ConversionSettings& s) {
         s.MP3.LameBits = 16;
         s.MP3.LameChannel = 5;
     },
     "MP3:  CBR 320 kbps; Automatic Frequency;"},
    {"Mp3DualChannel", [](ConversionSettings& s) { s.MP3.LameChannel = 4; },
     "MP3:  CBR 128 kbps; Automatic Frequency; Dual Channel;"},
    {"OggChannelCode3HasNoChannelPiece",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 4;
         s.OGG.Freq = 1;
         s.OGG.Channel = 3;
         s.OGG.QualityCompression = 10;
     },
     "OGG:  8000 Hz; Quality : 1.0;"},
    {"WavJointStereoCodeHasNoChannelPiece",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = 1;
         s.WAV.Channel = 3;
     },
     "WAV:  Signed 16 bit PCM Automatic Frequency;"},
    {"RateIndexOutsideTableShownAsAutomatic",
     [](ConversionSettings& s) {
         s.MP3.LameBits = 40;
         s.MP3.Freq = 12;
     },
     "MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"},
    {"Wav24Bit",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = FormatWav;
         s.WAV.SubFormat = 2;
     },
     "WAV:  Signed 24 bit PCM Automatic Frequency; Automatic Channel;"},
    {"FlacLevelAndBits",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = FormatFlac;
         s.FLAC.Level = 8;
         s.FLAC.Bits = 24;
     },
     "FLAC:  Level 8; 24 bit; Source Frequency; Automatic Channel;"},
    {"OpusBitrate",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = FormatOpus;
         s.OPUS.Bitrate = 96;
     },
     "OPUS:  VBR  96 kbps; 48000 Hz; Automatic Channel;"},
    {"Aiff16", [](ConversionSettings& s) { s.OUTPUT.OutputFormat = FormatAiff; },
     "AIFF:  Signed 16 bit PCM; Source Frequency; Automatic Channel;"},
    {"Aiff24",
     [](ConversionSettings& s) {
         s.OUTPUT.OutputFormat = FormatAiff;
         s.AIFF.Bits = 24;
     },
     "AIFF:  Signed 24 bit PCM; Source Frequency; Automatic Channel;"},
    {"UnknownFormatIsEmpty", [](ConversionSettings& s) { s.OUTPUT.OutputFormat = 99; }, ""},
};

class SettingsSummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SettingsSummaryTest, Text) {
    ConversionSettings settings;
    GetParam().adjust(settings);
    EXPECT_EQ(SettingsSummary(settings, ""), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsSummaryTest, ::testing::ValuesIn(SummaryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsSummary, WmaNamesTheSelectedPresetOrSaysItIsNotAvailable) {
    ConversionSettings settings;
    settings.OUTPUT.OutputFormat = 3;
    settings.WMA.Profile = 999;
    EXPECT_EQ(SettingsSummary(settings, " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;"),
              "WMA:   WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;");
    EXPECT_EQ(SettingsSummary(settings, ""), "WMA:  Preset 999 is not available");
    // Another format ignores the description.
    settings.OUTPUT.OutputFormat = 2;
    EXPECT_EQ(SettingsSummary(settings, " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;"),
              "MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;");
}

}  // namespace
}  // namespace tonquill
