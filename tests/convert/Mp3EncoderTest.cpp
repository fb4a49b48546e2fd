// The MP3 encoder's side of the encoder library: the configuration record it fills, the loading
// errors, and the information frame in what it writes.

#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "EncoderTestSupport.h"
#include "convert/Codecs.h"
#include "convert/mp3/EncodeMp3.h"
#include "convert/mp3/LameConfigRecord.h"
#include "convert/mp3/LameLibrary.h"

namespace tonquill::test {
namespace {

uint32_t U32At(const uint8_t* bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
           static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

struct RecordCase {
    const char* name;
    int lameBits;
    int lameChannel;
    int targetChannels;
    uint32_t bitrate;
    uint32_t mode;
};

const RecordCase RecordCases[] = {
    {"Default128JointStereo", 11, 0, 2, 128, 1},
    {"LowestBitrate", 0, 0, 2, 8, 1},
    {"HighestBitrate", 16, 0, 2, 320, 1},
    {"OddBitsFallBackTo128", 99, 0, 2, 128, 1},
    {"StereoCode", 11, 2, 2, 128, 0},
    {"JointCode", 11, 3, 2, 128, 1},
    {"DualCode", 11, 4, 2, 128, 2},
    {"MonoTargetIgnoresStereoCode", 11, 2, 1, 128, 3},
    {"MonoTargetIgnoresDualCode", 11, 4, 1, 128, 3},
    {"MonoCode", 11, 1, 1, 128, 3},
};

class LameRecordTest : public ::testing::TestWithParam<RecordCase> {};

// Checked byte by byte: the library reads the record by offset, not by our structure.
TEST_P(LameRecordTest, RecordBytesMatchTheLibraryLayout) {
    const RecordCase& c = GetParam();
    ConversionSettings settings;
    settings.MP3.LameBits = static_cast<int16_t>(c.lameBits);
    settings.MP3.LameChannel = static_cast<int16_t>(c.lameChannel);
    settings.MP3.LameQuality = 9;
    const lameenc::LameConfig config = MakeLameConfig(settings, 44100, c.targetChannels);

    uint8_t bytes[331];
    static_assert(sizeof config == sizeof bytes);
    std::memcpy(bytes, &config, sizeof bytes);
    uint8_t expected[331] = {};
    auto put = [&](size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            expected[offset + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    put(0, 256);
    put(4, 1);
    put(8, 331);
    put(12, 44100);
    put(20, c.mode);
    put(24, c.bitrate);
    put(32, 0xFFFFFFFF);  // no preset
    put(36, 1);           // MPEG-1
    put(64, 1);           // information frame
    put(84, 1);           // no bit reservoir
    expected[92] = 0x09;  // quality word 0xF609
    expected[93] = 0xF6;
    for (size_t i = 0; i < sizeof bytes; ++i) {
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
    }
    EXPECT_EQ(U32At(bytes, 24), c.bitrate);
}

INSTANTIATE_TEST_SUITE_P(Settings, LameRecordTest, ::testing::ValuesIn(RecordCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LameRecord, QualityWordCarriesTheQualityAndItsComplement) {
    ConversionSettings settings;
    for (int q : {0, 2, 5, 9}) {
        settings.MP3.LameQuality = static_cast<int16_t>(q);
        EXPECT_EQ(MakeLameConfig(settings, 44100, 2).Quality, ((255 - q) << 8) | q);
    }
}

class Mp3EncoderTest : public ::testing::Test {
protected:
    TempDir dir_;
};

struct LoadFailureCase {
    const char* name;
    std::vector<std::string> paths;
    const char* line;
    const char* message;
};

// The two loading failures end the batch with their line and their message box, before the
// output exists.
TEST_F(Mp3EncoderTest, LoadFailuresEndTheBatchBeforeTheOutputExists) {
    const LoadFailureCase cases[] = {
        {"NoLibraryInAnEmptyFolder",
         {(dir_ / "lame_enc.so")},
         "Error loading lame_enc.dll",
         "Error Loading Lame_enc.dll"},
        {"NotALibrary",
         {(dir_ / "bogus.so")},
         "Error loading lame_enc.dll",
         "Error Loading Lame_enc.dll"},
        {"LibraryWithoutBeDeinitStream",
         {INCOMPLETE_LAME_ENC},
         "Unable to get LAME interfaces",
         "Unable to Get LAME Interfaces"},
    };
    std::ofstream(dir_ / "bogus.so") << "not a shared object";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dest = dir_ / (std::string(c.name) + ".mp3");
        EncoderHarness h(FormatMp3, 44100, 2, dest);
        h.Feed(ToneSignal(4410, 2, 44100));
        EXPECT_FALSE(EncodeMp3WithLibrary(*h.ctx, h.task, c.paths));
        EXPECT_FALSE(h.ctx->IsRunning());
        EXPECT_TRUE(h.HasLine(c.line));
        EXPECT_EQ(h.observer.messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(std::filesystem::exists(dest));
    }
}

TEST_F(Mp3EncoderTest, LibraryIsFoundBesideTheProgram) {
    LameLibrary lame;
    ASSERT_EQ(lame.Load(DefaultLameLibraryPaths()), LameLibrary::Status::Loaded);
    EXPECT_NE(lame.WriteInfoTag, nullptr);
    EXPECT_NE(lame.WriteVbrHeader, nullptr);
}

// Players show the exact duration and play gaplessly only when the first frame is the
// information frame with the encoder's delay and padding.
TEST_F(Mp3EncoderTest, OutputStartsWithTheInformationFrame) {
    const std::string dest = dir_ / "info.mp3";
    EncoderHarness h(FormatMp3, 44100, 2, dest);
    const size_t frames = 44100 + 123;
    h.Feed(ToneSignal(frames, 2, 44100));
    ASSERT_TRUE(EncodeMp3(*h.ctx, h.task));

    std::ifstream in(dest, std::ios::binary);
    const std::string head(std::istreambuf_iterator<char>(in), {});
    ASSERT_GT(head.size(), 200u);
    EXPECT_EQ(static_cast<uint8_t>(head[0]), 0xFF);
    // MPEG-1 stereo: 4 header bytes and 32 bytes of side information come before the tag.
    EXPECT_EQ(head.substr(36, 4), "Info");
    EXPECT_NE(head.substr(36, 200).find("LAME"), std::string::npos);
    EXPECT_EQ(Mp3HeaderLength(dest), static_cast<int64_t>(frames));
}

// A bitrate the output rate does not allow is replaced by LAME with the nearest it does; the
// log says which one was used, and that is the bitrate the file really has.
TEST_F(Mp3EncoderTest, BitrateTheRateDoesNotAllowIsLoggedWithTheOneUsed) {
    struct Case {
        int rate;
        int bitsIndex;  // MP3.LameBits
        int asked;
        int used;
    };
    const Case cases[] = {
        {44100, 0, 8, 32},      // MPEG-1 starts at 32 kbit/s
        {8000, 16, 320, 64},    // MPEG-2.5 ends at 64
        {22050, 16, 320, 160},  // MPEG-2 ends at 160
        {44100, 11, 128, 128}, {16000, 0, 8, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.asked << " kbit/s at " << c.rate << " Hz");
        ASSERT_EQ(Mp3Bitrate(c.bitsIndex), c.asked);
        const std::string dest =
            dir_ / ("rate" + std::to_string(c.rate) + "-" + std::to_string(c.asked) + ".mp3");
        EncoderHarness h(FormatMp3, c.rate, 1, dest);
        h.ctx->Settings.MP3.LameBits = static_cast<int16_t>(c.bitsIndex);
        h.Feed(ToneSignal(static_cast<size_t>(c.rate), 1, c.rate));
        ASSERT_TRUE(EncodeMp3(*h.ctx, h.task));
        const std::string line = "MP3 bitrate " + std::to_string(c.asked) +
                                 " kbit/s is not possible at " + std::to_string(c.rate) +
                                 " Hz; encoding at " + std::to_string(c.used) +
                                 " kbit/s, the nearest bitrate MPEG audio allows at that rate";
        EXPECT_EQ(h.HasLine(line), c.used != c.asked) << line;
        EXPECT_EQ(LameEffectiveBitrate(c.asked, c.rate), c.used);

        mpg123_handle* handle = mpg123_new(nullptr, nullptr);
        ASSERT_NE(handle, nullptr);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_frameinfo info{};
        ASSERT_EQ(mpg123_open(handle, dest.c_str()), MPG123_OK);
        ASSERT_EQ(mpg123_getformat(handle, &rate, &channels, &encoding), MPG123_OK);
        ASSERT_EQ(mpg123_info(handle, &info), MPG123_OK);
        EXPECT_EQ(info.bitrate, c.used);
        EXPECT_EQ(rate, c.rate);
        mpg123_close(handle);
        mpg123_delete(handle);
    }
}

// A stream that fails while encoding or flushing stops the batch with its line once; the file
// is closed and stays.
TEST_F(Mp3EncoderTest, StreamFailuresStopTheBatchWithTheirLine) {
    struct Case {
        const char* name;
        int lameBits;  // index of the bitrate that makes the stand-in library fail
        const char* line;
    };
    const Case cases[] = {
        {"ChunkFails", 0, "beEncodeChunk() failed (5)"},
        {"FlushFails", 1, "beExitStream failed (6)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dest = dir_ / (std::string(c.name) + ".mp3");
        EncoderHarness h(FormatMp3, 44100, 2, dest);
        h.ctx->Settings.MP3.LameBits = static_cast<int16_t>(c.lameBits);
        h.Feed(ToneSignal(44100, 2, 44100));
        EXPECT_TRUE(EncodeMp3WithLibrary(*h.ctx, h.task, {FAILING_LAME_ENC}));
        EXPECT_FALSE(h.ctx->IsRunning());
        const auto texts = h.observer.texts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), c.line), 1);
        EXPECT_TRUE(std::filesystem::exists(dest));
    }
}

TEST_F(Mp3EncoderTest, MoreThanTwoChannelsCannotOpenAStream) {
    const std::string dest = dir_ / "six.mp3";
    EncoderHarness h(FormatMp3, 44100, 6, dest);
    h.Feed(ToneSignal(4410, 6, 44100));
    EXPECT_FALSE(EncodeMp3(*h.ctx, h.task));
    EXPECT_FALSE(h.ctx->IsRunning());
    EXPECT_TRUE(h.HasLine("Error opening encoding stream (2)"));
}

}  // namespace
}  // namespace tonquill::test
