// The Opus encoder and decoder together: the decoder drops the encoder's pre-skip and ends where
// the source ended, and it applies the output gain the header asks for.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <ogg/ogg.h>

#include "EncoderTestSupport.h"
#include "convert/Codecs.h"
#include "convert/DecoderFixtures.h"
#include "convert/SampleConvert.h"

namespace tonquill::test {
namespace {

constexpr int Rate = 48000;
constexpr size_t Frames = Rate + 1234;

// Sets the output gain (Q7.8 dB) in the identification header, which sits alone on the first
// page, and mends that page's checksum.
void SetOutputGain(const std::string& path, int16_t q8) {
    std::string data;
    {
        std::ifstream in(path, std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), {});
    }
    auto* bytes = reinterpret_cast<unsigned char*>(data.data());
    const int segments = bytes[26];
    long bodyLength = 0;
    for (int i = 0; i < segments; ++i) {
        bodyLength += bytes[27 + i];
    }
    unsigned char* body = bytes + 27 + segments;
    ASSERT_EQ(std::string(reinterpret_cast<char*>(body), 8), "OpusHead");
    body[16] = static_cast<unsigned char>(q8 & 0xFF);
    body[17] = static_cast<unsigned char>((q8 >> 8) & 0xFF);
    ogg_page page{bytes, 27 + segments, body, bodyLength};
    ogg_page_checksum_set(&page);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

int64_t Peak(const std::vector<int32_t>& samples) {
    int64_t peak = 0;
    for (int32_t s : samples) {
        peak = std::max<int64_t>(peak, std::llabs(static_cast<int64_t>(s)));
    }
    return peak;
}

// A sweep, so a delayed start cannot pass for a matching one as a steady tone's could.
std::vector<int32_t> Chirp() {
    std::vector<int32_t> samples;
    for (double x : ChirpSignal(Rate, 2, static_cast<double>(Frames) / Rate)) {
        samples.push_back(FloatToSample(x));
    }
    return samples;
}

class OpusCodecTest : public ::testing::Test {
protected:
    // Encodes the tone into name and decodes it again.
    std::string Encode(const std::string& name) {
        EncoderHarness h(FormatOpus, Rate, 2, dir_ / name);
        h.Feed(signal_);
        h.RunEncoderThread();
        EXPECT_TRUE(h.observer.errorTexts().empty());
        return dir_ / name;
    }

    DecodeRun Decode(const std::string& path) {
        RecordingObserver observer;
        PipelineContext ctx(observer);
        CConversionTask task;
        task.SourcePath = path;
        task.InputType = FormatOpus;
        task.SourceRate = Rate;
        task.SourceChannels = 2;
        DecodeRun run = RunDecoder(ctx, DecodeOpus, task);
        EXPECT_TRUE(observer.errorTexts().empty());
        return run;
    }

    TempDir dir_;
    std::vector<int32_t> signal_ = Chirp();
};

// libopusenc asserts, ending the process, when an encoder given no audio is drained (the
// window's soak walk found it: seed 153731830, a Convert whose sources had vanished). A task
// stopped before its first sample ends quietly; one that found no sound still gives a valid file.
TEST_F(OpusCodecTest, NoAudioAtAllNeverEndsTheProcess) {
    {
        EncoderHarness h(FormatOpus, Rate, 2, dir_ / "stopped.opus");
        h.Feed({});
        h.ctx->Stop();
        h.RunEncoderThread();
        EXPECT_TRUE(h.observer.errorTexts().empty());
    }
    {
        EncoderHarness h(FormatOpus, Rate, 2, dir_ / "silent.opus");
        h.Feed({});
        h.RunEncoderThread();
        EXPECT_TRUE(h.observer.errorTexts().empty());
    }
    const DecodeRun run = Decode(dir_ / "silent.opus");
    EXPECT_TRUE(run.result);
    EXPECT_LE(run.samples.size(), 2u * 960);
}

TEST_F(OpusCodecTest, DecodesTheSourcesLengthAndSignalWithoutThePreSkip) {
    const DecodeRun run = Decode(Encode("tone.opus"));
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.samples.size(), signal_.size());
    int lag = -1;
    EXPECT_GT(MatchSnrDb(signal_, run.samples, 2, 2048, &lag), 15.0);
    EXPECT_EQ(lag, 0);  // the encoder's delay is gone, not left at the start
}

TEST_F(OpusCodecTest, OutputGainOfTheHeaderIsApplied) {
    const std::string path = Encode("gain.opus");
    const int64_t plain = Peak(Decode(path).samples);
    SetOutputGain(path, -6 * 256);  // -6 dB: half the amplitude
    const DecodeRun run = Decode(path);
    ASSERT_TRUE(run.result);
    EXPECT_NEAR(static_cast<double>(Peak(run.samples)) / plain, 0.501, 0.02);
}

}  // namespace
}  // namespace tonquill::test
