#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "base/ProgramFolder.h"
#include "convert/DecoderFixtures.h"
#include "convert/wma/WmaCodecModule.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

const std::string PresetFile = ProgramFolder() + WmaPresetFileName;

// Reads the whole input at its own format.
std::vector<int16_t> ReadAll(WmaComponent& reader) {
    std::vector<int16_t> all;
    for (;;) {
        std::vector<int16_t> block = reader.ReadSamples(128);
        if (block.empty()) {
            return all;
        }
        EXPECT_LE(block.size(), 128u * reader.ChannelCount());
        all.insert(all.end(), block.begin(), block.end());
    }
}

std::vector<int16_t> ToPcm16(const std::vector<double>& signal) {
    std::vector<int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::lround(signal[i] * 32767.0));
    }
    return pcm;
}

TEST(WmaPresetFileTest, InstalledFileHoldsPresets12To55WithTheOptionListTexts) {
    WmaPresetList list;
    std::string error;
    ASSERT_TRUE(list.Load(PresetFile, error)) << error;
    ASSERT_EQ(list.Presets().size(), 44u);
    for (int number = 12; number <= 55; ++number) {
        const WmaPreset* preset = list.Find(number);
        ASSERT_NE(preset, nullptr) << number;
        // The text names the preset's own rate and channel mode, at the option list's widths.
        char head[64];
        std::snprintf(head, sizeof(head), "kbps;%6d Hz;%7s;", preset->rate,
                      preset->channels == 1 ? "Mono" : "Stereo");
        EXPECT_NE(preset->description.find(head), std::string::npos) << preset->description;
        EXPECT_EQ(preset->description.rfind(" WMA 9.2 ", 0), 0u) << preset->description;
    }
    EXPECT_EQ(list.Find(47)->description, " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;");
    EXPECT_EQ(list.Find(12)->description, " WMA 9.2    0kbps;  8000 Hz;   Mono; CBR;");
    EXPECT_EQ(list.Find(39)->description, " WMA 9.2   63kbps; 48000 Hz; Stereo; Low Delay CBR;");
    EXPECT_EQ(list.Find(55)->description, " WMA 9.2  320kbps; 44100 Hz; Stereo; CBR;");
}

TEST(WmaPresetFileTest, MalformedFileIsRefusedAndKeepsThePresetsKnown) {
    WmaPresetList list;
    std::string error;
    ASSERT_TRUE(list.Parse("# comment\n\n47|44100|2|128000| WMA text;\r\n", error));
    ASSERT_NE(list.Find(47), nullptr);
    EXPECT_EQ(list.Find(47)->description, " WMA text;");
    for (const char* bad : {"47|44100|2| no bitrate", "x|44100|2|128000|d", "47|44100|0|1|d",
                            "47|0|2|128000|d", "47|44100|3|128000|d"}) {
        EXPECT_FALSE(list.Parse(bad, error)) << bad;
        EXPECT_NE(list.Find(47), nullptr) << bad;
    }
    EXPECT_FALSE(list.Load("/nonexistent/Tonquill.prx", error));
}

class WmaComponentTest : public ::testing::Test {
protected:
    WmaComponentTest() { component.LoadPresets(PresetFile); }

    TempDir dir;
    WmaComponent component;
};

TEST_F(WmaComponentTest, SelectedPresetGivesItsDescriptionAndUnknownNumbersAreRefused) {
    EXPECT_THROW(component.PresetDescription(), WmaError);
    component.SelectPreset(47);
    EXPECT_EQ(component.PresetDescription(), " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;");
    EXPECT_THROW(component.SelectPreset(11), WmaError);
    EXPECT_THROW(component.SelectPreset(56), WmaError);
    // A refused number leaves the selection as it was.
    EXPECT_EQ(component.SelectedPreset()->number, 47);
}

TEST_F(WmaComponentTest, WritingWithoutAPresetFailsWithoutCreatingAFile) {
    WmaComponent bare;
    bare.SetFormat(44100, 2);
    EXPECT_THROW(bare.CreateForWriting(dir / "out.wma"), WmaError);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wma"));
    EXPECT_FALSE(bare.IsOpen());
}

TEST_F(WmaComponentTest, WrittenFileReadsBackWithItsFacts) {
    const auto signal = test::ChirpSignal(44100, 2, 2.0);
    component.SelectPreset(47);
    component.SetFormat(44100, 2);
    component.CreateForWriting(dir / "song.wma");
    EXPECT_TRUE(component.IsOpen());
    const auto pcm = ToPcm16(signal);
    // Written in one-second pieces, as the encoder stage does.
    component.WriteSamples(pcm.data(), 88200);
    component.WriteSamples(pcm.data() + 88200, pcm.size() - 88200);
    component.Close();
    EXPECT_FALSE(component.IsOpen());

    component.OpenForReading(dir / "song.wma");
    EXPECT_TRUE(component.IsOpen());
    EXPECT_EQ(component.SampleRate(), 44100);
    EXPECT_EQ(component.ChannelCount(), 2);
    // The stream also holds a frame of silence before the audio and at most two after it
    // (the padded last frame and the one that carries it out of the decoder).
    EXPECT_GE(component.SampleCount(), 88200);
    EXPECT_LE(component.SampleCount(), 88200 + 3 * 2048);
    EXPECT_NEAR(component.Duration(), 2070, 70);
    const auto decoded = ReadAll(component);
    component.Close();
    EXPECT_FALSE(component.IsOpen());

    std::vector<int32_t> wide(decoded.begin(), decoded.end());
    for (auto& s : wide) {
        s *= 65536;
    }
    for (int channel = 0; channel < 2; ++channel) {
        // The first frame of audio survives: the decoded stream starts where the source did.
        const test::Match match = test::Align(signal, wide, 2, channel, 4096);
        EXPECT_GT(match.correlation, 0.95);
        EXPECT_EQ(match.lag, 0);
    }
}

TEST_F(WmaComponentTest, ReadsAndWritesConvertBetweenTheSetFormatAndTheFile) {
    // 22050 Hz mono in, preset 47 (44100 Hz stereo) on disk, 22050 Hz mono out again.
    const auto signal = test::ChirpSignal(22050, 1, 1.0);
    test::WriteWma(dir / "mono.wma", 22050, 1, signal, 47);

    component.OpenForReading(dir / "mono.wma");
    EXPECT_EQ(component.SampleRate(), 44100);
    EXPECT_EQ(component.ChannelCount(), 2);
    component.SetFormat(22050, 1);
    const auto decoded = ReadAll(component);
    component.Close();

    EXPECT_NEAR(static_cast<double>(decoded.size()), 22050.0, 4096.0);
    std::vector<int32_t> wide(decoded.begin(), decoded.end());
    for (auto& s : wide) {
        s *= 65536;
    }
    const test::Match match = test::Align(signal, wide, 1, 0, 4096);
    EXPECT_GT(match.correlation, 0.95);
    EXPECT_LE(std::abs(match.lag), 2);
}

TEST_F(WmaComponentTest, SourceChannelsAreMixedToThePresetsAtTheirLevel) {
    // Every source channel carries the same chirp, so a mean mix (or a copy of mono) keeps its
    // level, while a sum would clip and a -3 dB spread of mono would lose it. 6, 16 and 24
    // channels have speaker layouts in FFmpeg, 12 and 32 do not.
    const auto mono = test::ChirpSignal(44100, 1, 0.5);
    std::vector<double> stereo;
    for (double s : mono) {
        stereo.insert(stereo.end(), {s, s});
    }
    for (int channels : {1, 3, 6, 12, 16, 24, 32}) {
        SCOPED_TRACE(channels);
        std::vector<double> signal;
        for (double s : mono) {
            signal.insert(signal.end(), static_cast<size_t>(channels), s);
        }
        const std::string path = dir / ("c" + std::to_string(channels) + ".wma");
        ASSERT_NO_THROW(test::WriteWma(path, 44100, channels, signal, 47));

        WmaComponent reader;
        reader.OpenForReading(path);
        ASSERT_EQ(reader.ChannelCount(), 2);
        reader.SetFormat(44100, 2);
        std::vector<int32_t> wide;
        int16_t peak = 0;
        for (int16_t s : ReadAll(reader)) {
            wide.push_back(s * 65536);
            peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
        }
        for (int channel : {0, 1}) {
            const test::Match match = test::Align(stereo, wide, 2, channel, 4096);
            EXPECT_GT(match.correlation, 0.95) << "channel " << channel;
        }
        EXPECT_NEAR(peak / 32767.0, 0.6, 0.15);
    }
}

TEST_F(WmaComponentTest, EveryPresetWritesAPlayableFileAtItsRateAndChannels) {
    const auto signal = test::ChirpSignal(44100, 2, 0.5);
    for (const WmaPreset& preset : [&] {
             WmaPresetList list;
             std::string error;
             list.Load(PresetFile, error);
             return list.Presets();
         }()) {
        SCOPED_TRACE(preset.description);
        const std::string path = dir / ("p" + std::to_string(preset.number) + ".wma");
        ASSERT_NO_THROW(test::WriteWma(path, 44100, 2, signal, preset.number));

        WmaComponent reader;
        reader.OpenForReading(path);
        EXPECT_EQ(reader.SampleRate(), preset.rate);
        EXPECT_EQ(reader.ChannelCount(), preset.channels);
        reader.SetFormat(preset.rate, preset.channels);
        const auto decoded = ReadAll(reader);
        // Half a second at the preset's rate, give or take the codec's frame.
        EXPECT_NEAR(static_cast<double>(decoded.size() / preset.channels), preset.rate * 0.5,
                    4096.0);
        // The bitrate in the file is the preset's, or the encoder's floor where it names less.
        std::error_code ec;
        const double kbps = std::filesystem::file_size(path, ec) * 8.0 / 0.5 / 1000.0;
        EXPECT_GT(kbps, WmaEncodingBitrate(preset) / 1000.0 * 0.5);
    }
}

TEST_F(WmaComponentTest, OperationsWithoutAnOpenFileFail) {
    const int16_t samples[2] = {0, 0};
    EXPECT_THROW(component.ReadSamples(128), WmaError);
    EXPECT_THROW(component.WriteSamples(samples, 2), WmaError);
    EXPECT_THROW(component.SampleCount(), WmaError);
    EXPECT_THROW(component.ChannelCount(), WmaError);
    EXPECT_THROW(component.SampleRate(), WmaError);
    EXPECT_THROW(component.Duration(), WmaError);
    EXPECT_THROW(component.SetFormat(0, 2), WmaError);
    EXPECT_THROW(component.OpenForReading(dir / "missing.wma"), WmaError);
    EXPECT_FALSE(component.IsOpen());
    EXPECT_NO_THROW(component.Close());
}

TEST_F(WmaComponentTest, OutputThatCannotBeWrittenIsReportedNotSwallowed) {
    component.SelectPreset(47);
    component.SetFormat(44100, 2);
    EXPECT_THROW(component.CreateForWriting(dir / "no/such/folder/out.wma"), WmaError);
    EXPECT_FALSE(component.IsOpen());

    // A full disk: the failure must surface from a write or from closing, never pass silently.
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const std::vector<int16_t> second(88200, 1000);
    bool failed = false;
    try {
        component.CreateForWriting("/dev/full");
        for (int i = 0; i < 10; ++i) {
            component.WriteSamples(second.data(), second.size());
        }
        component.Close();
    } catch (const WmaError&) {
        failed = true;
    }
    EXPECT_TRUE(failed);
    EXPECT_NO_THROW(component.Close());
    EXPECT_FALSE(component.IsOpen());

    // The next output starts clean.
    component.CreateForWriting(dir / "after.wma");
    component.WriteSamples(second.data(), second.size());
    component.Close();
    component.OpenForReading(dir / "after.wma");
    EXPECT_EQ(component.ChannelCount(), 2);
    EXPECT_FALSE(component.ReadSamples(128).empty());
    component.Close();
}

TEST(WmaStartUpTest, CreatesBothInstancesAndLoadsThePresetFile) {
    RecordingObserver observer;
    PipelineContext ctx(observer);
    ASSERT_TRUE(CreateWmaComponents(ctx, observer));
    ASSERT_TRUE(ctx.WmaReader && ctx.WmaWriter);
    LoadWmaPresetFile(ctx, ProgramFolder(), observer);
    EXPECT_TRUE(observer.messages().empty());
    ctx.WmaWriter->SelectPreset(47);
    EXPECT_EQ(ctx.WmaWriter->PresetDescription(), " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;");
}

TEST(WmaStartUpTest, MissingPresetFileWarnsAndGoesOn) {
    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx(observer);
    ASSERT_TRUE(CreateWmaComponents(ctx, observer));
    LoadWmaPresetFile(ctx, dir.path().string() + "/", observer);
    EXPECT_EQ(observer.messages(),
              std::vector<std::string>{"Warning: WMA profile file " + dir.path().string() +
                                       "/Tonquill.prx not found!"});
    EXPECT_THROW(ctx.WmaWriter->SelectPreset(47), WmaError);
    // The start-up has said why; selecting adds no second message.
    EXPECT_EQ(SelectWmaPreset(ctx.WmaWriter.get(), 47, observer), "");
    EXPECT_EQ(observer.messages().size(), 1u);
}

TEST(WmaStartUpTest, MalformedPresetFileGivesItsReasonAndGoesOn) {
    TempDir dir;
    std::ofstream(dir.path() / WmaPresetFileName) << "47|44100|2|128000|fine\nnot a preset\n";
    RecordingObserver observer;
    PipelineContext ctx(observer);
    ASSERT_TRUE(CreateWmaComponents(ctx, observer));
    LoadWmaPresetFile(ctx, dir.path().string() + "/", observer);
    ASSERT_EQ(observer.messages().size(), 1u);
    EXPECT_NE(observer.messages()[0].find("malformed preset in line 2"), std::string::npos)
        << observer.messages()[0];
    EXPECT_TRUE(ctx.WmaWriter->Presets().Presets().empty());
}

TEST(WmaStartUpTest, SelectWmaPresetSelectsAndDescribesOrSaysWhyNot) {
    RecordingObserver observer;
    PipelineContext ctx(observer);
    ASSERT_TRUE(CreateWmaComponents(ctx, observer));
    LoadWmaPresetFile(ctx, ProgramFolder(), observer);
    const std::string description = SelectWmaPreset(ctx.WmaWriter.get(), 20, observer);
    EXPECT_EQ(description, ctx.WmaWriter->PresetDescription());
    EXPECT_NE(ctx.WmaWriter->PresetDescription().find("8000 Hz"), std::string::npos);
    EXPECT_TRUE(observer.messages().empty());

    // An unknown number keeps the earlier preset and gives the component's reason.
    EXPECT_EQ(SelectWmaPreset(ctx.WmaWriter.get(), 999, observer), "");
    EXPECT_EQ(observer.messages(), std::vector<std::string>{"unknown WMA preset 999"});
    EXPECT_EQ(ctx.WmaWriter->SelectedPreset()->number, 20);
    EXPECT_EQ(SelectWmaPreset(nullptr, 47, observer), "");
}

}  // namespace
}  // namespace tonquill
