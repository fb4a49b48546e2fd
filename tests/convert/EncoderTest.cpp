// Behaviour every encoder shares: what it writes decodes back to the source, a stop leaves a
// shorter complete file, pause holds the stream and resume goes on where it stopped, and its
// failures end the batch with their line.

#include <cstring>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "EncoderTestSupport.h"
#include "base/Format.h"
#include "convert/Codecs.h"

namespace tonquill::test {
namespace {

struct EncoderCase {
    const char* name;
    int format;
    int wavSubFormat;
    const char* extension;
    // Frames a decoder may deliver beyond the source (codec delay and padding).
    int maxLag;
    double minSnrDb;
    // The line of an output that cannot be created, with %s for the path.
    const char* createError;
    // Samples the encoder takes a pass at 44.1 kHz stereo.
    uint32_t chunk;
    // Frames the decoded file may lack at its end (a codec that cannot give back its last
    // partial frame).
    int maxShortfall;
};

const EncoderCase Cases[] = {
    {"Wav16", FormatWav, 1, "wav", 0, 60.0, "Error : could not open file : %s", 8192, 0},
    {"Wav8", FormatWav, 0, "wav", 0, 30.0, "Error : could not open file : %s", 8192, 0},
    {"Mp3", FormatMp3, 1, "mp3", 0, 15.0, "Error creating file %s", 2304, 0},
    {"Ogg", FormatOgg, 1, "ogg", 0, 15.0, "Error creating file %s", 8192, 0},
    {"Wma", FormatWma, 1, "wma", 4096, 10.0, "An error occurred while encoding %s", 88200, 0},
};

class EncoderTest : public ::testing::TestWithParam<EncoderCase> {
protected:
    std::string Dest(const std::string& base) const {
        return dir_ / (base + "." + GetParam().extension);
    }
    std::unique_ptr<EncoderHarness> Harness(int rate, int channels, const std::string& dest) {
        auto h = std::make_unique<EncoderHarness>(GetParam().format, rate, channels, dest);
        h->ctx->Settings.WAV.SubFormat = static_cast<int16_t>(GetParam().wavSubFormat);
        return h;
    }
    // Waits until the encoder has taken every whole chunk the ring holds; it then idles until
    // the producer delivers more or ends.
    // Counted samples are added after a chunk is encoded, so once they and the ring account for
    // everything fed, no chunk is under way.
    bool WaitForIdleEncoder(EncoderHarness& h, uint64_t fed) {
        return WaitUntil([&] {
            const uint32_t left = h.task.EncoderInput->Available();
            return left < GetParam().chunk && h.ctx->TaskSamplesDone.load() + left == fed;
        });
    }
    // Checks that the file decodes to `frames` frames of the signal (whole, or its start).
    void ExpectDecodesTo(const std::string& path, const std::vector<int32_t>& signal, int rate,
                         int channels, size_t frames) {
        const EncoderCase& c = GetParam();
        DecodedAudio out = DecodeOutput(c.format, path);
        EXPECT_EQ(out.rate, rate);
        ASSERT_EQ(out.channels, channels);
        const size_t got = out.samples.size() / channels;
        EXPECT_GE(got + c.maxShortfall, frames);
        EXPECT_LE(got, frames + static_cast<size_t>(c.maxLag) + 4096);
        if (c.format != FormatWma) {
            EXPECT_EQ(got, frames) << "decoded length differs from what was encoded";
        }
        const size_t compared = std::min(frames, got);
        std::vector<int32_t> ref(signal.begin(), signal.begin() + compared * channels);
        int lag = 0;
        EXPECT_GT(MatchSnrDb(ref, out.samples, channels, c.maxLag, &lag), c.minSnrDb);
        if (c.maxLag == 0) {
            EXPECT_EQ(lag, 0);
        }
    }

    TempDir dir_;
};

// Lengths that are no multiple of any chunk, so the last pass takes a remainder.
TEST_P(EncoderTest, OutputDecodesBackToTheSourceWithEveryLastSample) {
    struct Shape {
        int rate;
        int channels;
    };
    const Shape shapes[] = {{44100, 2}, {22050, 1}, {48000, 2}};
    for (const auto& f : shapes) {
        SCOPED_TRACE(Format("%d Hz, %d channels", f.rate, f.channels));
        // The WMA preset fixes the output format; other formats are resampled by the component.
        if (GetParam().format == FormatWma && (f.rate != 44100 || f.channels != 2)) {
            continue;
        }
        const size_t frames = static_cast<size_t>(f.rate) + 1000;
        const auto signal = ToneSignal(frames, f.channels, f.rate);
        const std::string dest = Dest(Format("tone-%d-%d", f.rate, f.channels));
        auto h = Harness(f.rate, f.channels, dest);
        h->Feed(signal);
        h->RunEncoderThread();

        EXPECT_TRUE(h->ctx->IsRunning());
        EXPECT_EQ(h->ctx->TaskSamplesDone.load(), signal.size());
        ASSERT_FALSE(h->observer.syncProgress().empty());
        EXPECT_FLOAT_EQ(h->observer.syncProgress().back().first, 100.0f);
        ExpectDecodesTo(dest, signal, f.rate, f.channels, frames);
    }
}

// The decoder is still running when the batch stops: what the encoder had becomes a complete,
// shorter file (for MP3 with an information frame that counts exactly that audio).
TEST_P(EncoderTest, StoppedTaskLeavesShorterCompleteFile) {
    const int rate = 44100;
    const size_t frames = static_cast<size_t>(rate) * 2 + 777;
    const auto signal = ToneSignal(frames, 2, rate);
    const std::string dest = Dest("stopped");
    auto h = Harness(rate, 2, dest);
    h->Feed(signal, /*producing=*/true);

    std::thread encoder([&] { h->RunEncoderThread(); });
    const bool idle = WaitForIdleEncoder(*h, signal.size());
    h->ctx->Stop();
    encoder.join();
    ASSERT_TRUE(idle);

    // What the encoder had taken is in the file; the rest of the ring is dropped.
    const size_t done = h->ctx->TaskSamplesDone.load() / 2;
    ASSERT_GT(done, 0u);
    ASSERT_LT(done, frames);
    ExpectDecodesTo(dest, signal, rate, 2, done);
    if (GetParam().format == FormatMp3) {
        EXPECT_EQ(Mp3HeaderLength(dest), static_cast<int64_t>(done));
    }
}

// Half the stream is encoded, then the task pauses and the rest arrives: nothing is encoded
// while paused, and after resuming the file holds the whole stream without a gap or a repeat.
TEST_P(EncoderTest, PauseHoldsTheStreamAndResumeContinuesWhereItStopped) {
    const int rate = 44100;
    const size_t frames = static_cast<size_t>(rate) * 6;
    const auto signal = ToneSignal(frames, 2, rate);
    const size_t half = (frames / 2) * 2;
    const std::string dest = Dest("paused");
    auto h = Harness(rate, 2, dest);
    h->Feed({signal.begin(), signal.begin() + half}, /*producing=*/true);
    h->task.EstimatedSamples = h->ctx->OverallSamplesTotal = signal.size();

    std::thread encoder([&] { h->RunEncoderThread(); });
    EXPECT_TRUE(WaitForIdleEncoder(*h, half));
    const uint64_t held = h->ctx->TaskSamplesDone.load();
    h->ctx->Paused = 1;
    // An idle pass is a 1 ms sleep: by now the encoder has seen the flag.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    h->FeedMore({signal.begin() + half, signal.end()});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(h->ctx->TaskSamplesDone.load(), held);

    h->ctx->Paused = 0;
    h->FinishProducing();
    encoder.join();
    EXPECT_EQ(h->ctx->TaskSamplesDone.load(), signal.size());
    ExpectDecodesTo(dest, signal, rate, 2, frames);
}

// A task stopped before its first sample (its source vanished, its decoder refused): the
// encoder ends without a word and without ending the process (libopusenc asserted on draining
// an encoder that was given no audio; the window's soak walk found it, seed 153731830).
TEST_P(EncoderTest, StoppedBeforeAnyAudioEndsQuietly) {
    const std::string dest = Dest("nothing");
    auto h = Harness(44100, 2, dest);
    h->Feed({});
    h->ctx->Stop();
    h->RunEncoderThread();
    EXPECT_FALSE(h->ctx->IsRunning());
    for (const auto& line : h->observer.lines()) {
        EXPECT_NE(line.level, LogLevel::Error) << line.text;
    }
}

TEST_P(EncoderTest, OutputThatCannotBeCreatedEndsTheBatchWithItsLine) {
    const std::string dest = (dir_ / "missing-folder/") + "out." + GetParam().extension;
    auto h = Harness(44100, 2, dest);
    h->Feed(ToneSignal(4410, 2, 44100));
    h->RunEncoderThread();

    EXPECT_FALSE(h->ctx->IsRunning());
    // The line names the file and gives the system's reason.
    const std::string start = Format(GetParam().createError, dest.c_str());
    const auto lines = h->observer.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const auto& line) {
        return line.text.rfind(start, 0) == 0 &&
               line.text.find("No such file or directory") != std::string::npos;
    })) << start;
    EXPECT_FALSE(std::filesystem::exists(dest));
}

// A disk that fills up mid-file, made with a file-size limit. Noise, so that every codec
// writes far more than the limit.
TEST_P(EncoderTest, FullDiskEndsTheBatchWithOneWriteError) {
    const int rate = 44100;
    const auto signal = TestSignal16(static_cast<size_t>(rate) * 10, 2);
    const std::string dest = Dest("full");
    auto h = Harness(rate, 2, dest);
    h->Feed(signal);

    constexpr rlim_t Limit = 64 * 1024;
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = Limit;
    setrlimit(RLIMIT_FSIZE, &limited);
    h->RunEncoderThread();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(h->ctx->IsRunning());
    const auto lines = h->observer.lines();
    // One line, naming the file and the system's reason.
    const std::string expected =
        GetParam().format == FormatWma
            ? Format("An error occurred while encoding %s: ", dest.c_str())
            : "Output file write error (" + dest + ": " + std::strerror(EFBIG) + ")";
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const auto& l) { return l.text.rfind(expected, 0) == 0; }),
              1);
    EXPECT_LE(std::filesystem::file_size(dest), Limit);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EncoderTest, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tonquill::test
