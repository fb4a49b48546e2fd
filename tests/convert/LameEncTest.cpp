// lame_enc.so through its entry points, as any caller of the library would use it.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "EncoderTestSupport.h"
#include "base/Format.h"
#include "convert/mp3/LameConfigRecord.h"
#include "convert/mp3/LameLibrary.h"

namespace tonquill::test {
namespace {

using namespace lameenc;

class LameEncTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(lame_.Load(DefaultLameLibraryPaths()), LameLibrary::Status::Loaded);
    }

    BeErr Init(const LameConfig& config, uint32_t* samples, uint32_t* bufferSize,
               BeStream* stream) {
        return lame_.InitStream(&config, samples, bufferSize, stream, 0, 0, L"", L"", L"", L"", L"",
                                L"", L"", 0, 1, 30, 5, 16000, 2400);
    }

    // Encodes the signal into bytes (stream left flushed, not closed).
    std::string Encode(BeStream* stream, const LameConfig& config,
                       const std::vector<int32_t>& pcm) {
        const int channels = config.Mode == ModeMono ? 1 : 2;
        uint32_t samples = 0;
        uint32_t bufferSize = 0;
        EXPECT_EQ(Init(config, &samples, &bufferSize, stream), BeErrSuccessful);
        std::vector<uint8_t> out(bufferSize);
        std::string mp3;
        const uint32_t frames = samples / channels;
        std::vector<float> left(frames);
        std::vector<float> right(frames);
        for (size_t pos = 0; pos < pcm.size(); pos += samples) {
            const uint32_t n = static_cast<uint32_t>(std::min<size_t>(samples, pcm.size() - pos));
            for (uint32_t i = 0; i < n / channels; ++i) {
                left[i] = pcm[pos + i * channels] / 65536.0f;
                right[i] = pcm[pos + i * channels + channels - 1] / 65536.0f;
            }
            uint32_t bytes = 0;
            EXPECT_EQ(lame_.EncodeChunk(*stream, n / channels, left.data(),
                                        channels == 1 ? nullptr : right.data(), out.data(), &bytes),
                      BeErrSuccessful);
            mp3.append(reinterpret_cast<char*>(out.data()), bytes);
        }
        uint32_t bytes = 0;
        EXPECT_EQ(lame_.DeinitStream(*stream, out.data(), &bytes), BeErrSuccessful);
        mp3.append(reinterpret_cast<char*>(out.data()), bytes);
        return mp3;
    }

    void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    LameLibrary lame_;
    TempDir dir_;
};

// The library keeps the rate it is given (the pipeline already chose it), for every family of
// MPEG rates and both channel layouts, and its information frame gives the exact length. At a
// bitrate whose frames are too small to hold the information frame, there is none: the file is
// then a plain constant-bitrate stream of whole frames.
TEST_F(LameEncTest, KeepsTheInputRateAndCountsEveryFrame) {
    struct Shape {
        int rate;
        int channels;
        int lameBits;
        bool infoFrameFits;
    };
    const Shape shapes[] = {{44100, 2, 11, true}, {48000, 1, 11, true}, {22050, 2, 6, true},
                            {8000, 1, 2, true},   {32000, 2, 16, true}, {12000, 1, 3, true},
                            {44100, 2, 3, false}, {8000, 1, 0, false}};
    for (const auto& s : shapes) {
        SCOPED_TRACE(Format("%d Hz, %d channels", s.rate, s.channels));
        ConversionSettings settings;
        settings.MP3.LameBits = static_cast<int16_t>(s.lameBits);
        const LameConfig config = MakeLameConfig(settings, s.rate, s.channels);
        const size_t frames = static_cast<size_t>(s.rate) / 2 + 321;
        const auto pcm = ToneSignal(frames, s.channels, s.rate);
        BeStream stream = 0;
        const std::string mp3 = Encode(&stream, config, pcm);
        EXPECT_EQ(lame_.CloseStream(stream), BeErrSuccessful);
        const std::string path = dir_ / Format("out-%d-%d.mp3", s.rate, s.channels);
        WriteFile(path, mp3);
        EXPECT_EQ(lame_.WriteInfoTag(stream, path.c_str()), BeErrSuccessful);

        const DecodedAudio out = DecodeOutput(FormatMp3, path);
        EXPECT_EQ(out.rate, s.rate);
        EXPECT_EQ(out.channels, s.channels);
        if (s.infoFrameFits) {
            EXPECT_EQ(out.samples.size(), pcm.size());
            EXPECT_EQ(Mp3HeaderLength(path), static_cast<int64_t>(frames));
        } else {
            EXPECT_GT(out.samples.size(), pcm.size());
            EXPECT_EQ(ReadFile(path), mp3);
        }
    }
}

TEST_F(LameEncTest, RefusedRecordsOpenNoStream) {
    ConversionSettings settings;
    struct Case {
        const char* name;
        void (*change)(LameConfig&);
        BeErr expected;
    };
    const Case cases[] = {
        {"WrongKind", [](LameConfig& c) { c.ConfigKind = 0; }, BeErrInvalidFormat},
        {"ShortRecord", [](LameConfig& c) { c.StructSize = 100; }, BeErrInvalidFormatParameters},
        {"UnknownMode", [](LameConfig& c) { c.Mode = 7; }, BeErrInvalidFormatParameters},
        {"NoRate", [](LameConfig& c) { c.SampleRate = 0; }, BeErrInvalidFormatParameters},
        {"HugeRate", [](LameConfig& c) { c.SampleRate = 0xFFFFFFFF; },
         BeErrInvalidFormatParameters},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LameConfig config = MakeLameConfig(settings, 44100, 2);
        c.change(config);
        uint32_t samples = 0;
        uint32_t bufferSize = 0;
        BeStream stream = 0;
        EXPECT_EQ(Init(config, &samples, &bufferSize, &stream), c.expected);
        EXPECT_EQ(stream, 0u);
    }
}

TEST_F(LameEncTest, UnknownHandlesAreRefusedNotFollowed) {
    uint8_t out[8192];
    float pcm[1152] = {};
    uint32_t bytes = 0;
    const BeStream bogus = 0xDEADBEEF;
    EXPECT_EQ(lame_.EncodeChunk(bogus, 1152, pcm, pcm, out, &bytes), BeErrInvalidHandle);
    EXPECT_EQ(lame_.DeinitStream(bogus, out, &bytes), BeErrInvalidHandle);
    EXPECT_EQ(lame_.CloseStream(bogus), BeErrInvalidHandle);
    EXPECT_EQ(lame_.WriteInfoTag(bogus, (dir_ / "x.mp3").c_str()), BeErrInvalidHandle);
}

TEST_F(LameEncTest, ChunkLargerThanTheStreamAskedForIsRefused) {
    ConversionSettings settings;
    uint32_t samples = 0;
    uint32_t bufferSize = 0;
    BeStream stream = 0;
    ASSERT_EQ(Init(MakeLameConfig(settings, 44100, 2), &samples, &bufferSize, &stream),
              BeErrSuccessful);
    EXPECT_EQ(samples, 2304u);  // one MPEG-1 frame of two channels
    std::vector<float> pcm(samples);
    std::vector<uint8_t> out(bufferSize);
    uint32_t bytes = 0;
    EXPECT_NE(lame_.EncodeChunk(stream, samples, pcm.data(), pcm.data(), out.data(), &bytes),
              BeErrSuccessful);
    EXPECT_EQ(lame_.CloseStream(stream), BeErrSuccessful);
}

// The frame lands after an ID3v2 tag when the file has one, and a file that does not start its
// audio with a matching frame is left exactly as it was.
TEST_F(LameEncTest, InformationFrameGoesOverThePlaceholderOnly) {
    ConversionSettings settings;
    const LameConfig config = MakeLameConfig(settings, 44100, 2);
    const auto pcm = ToneSignal(30000, 2, 44100);

    BeStream tagged = 0;
    const std::string mp3 = Encode(&tagged, config, pcm);
    lame_.CloseStream(tagged);
    // An ID3v2.4 tag with 20 bytes of padding and no frames.
    const std::string id3("ID3\x04\x00\x00\x00\x00\x00\x14", 10);
    const std::string taggedPath = dir_ / "tagged.mp3";
    WriteFile(taggedPath, id3 + std::string(20, '\0') + mp3);
    EXPECT_EQ(lame_.WriteInfoTag(tagged, taggedPath.c_str()), BeErrSuccessful);
    EXPECT_EQ(ReadFile(taggedPath).substr(30 + 36, 4), "Info");
    EXPECT_EQ(Mp3HeaderLength(taggedPath), 30000);

    BeStream other = 0;
    Encode(&other, config, pcm);
    lame_.CloseStream(other);
    const std::string textPath = dir_ / "notes.txt";
    const std::string text(4000, 'x');
    WriteFile(textPath, text);
    EXPECT_NE(lame_.WriteInfoTag(other, textPath.c_str()), BeErrSuccessful);
    EXPECT_EQ(ReadFile(textPath), text);
}

// Callers without beWriteInfoTag name only the file: the stream is the one this thread closed.
TEST_F(LameEncTest, VbrHeaderEntryPointUsesTheStreamThisThreadClosedLast) {
    ConversionSettings settings;
    const auto pcm = ToneSignal(20000, 1, 22050);
    BeStream stream = 0;
    const std::string mp3 = Encode(&stream, MakeLameConfig(settings, 22050, 1), pcm);
    lame_.CloseStream(stream);
    const std::string path = dir_ / "legacy.mp3";
    WriteFile(path, mp3);
    EXPECT_EQ(lame_.WriteVbrHeader(path.c_str()), BeErrSuccessful);
    EXPECT_EQ(Mp3HeaderLength(path), 20000);
}

}  // namespace
}  // namespace tonquill::test
