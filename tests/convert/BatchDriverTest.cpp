#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include <sys/resource.h>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "convert/BatchDriver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "convert/SampleConvert.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

class BatchDriverTest : public ::testing::Test {
protected:
    BatchDriverTest() : ctx(observer) {
        ctx.StartDelayMs = 0;
        settings.OUTPUT.OutputFormat = FormatWav;
        settings.OUTPUT.DesDir = dir / "out/";
    }

    // A WAV source in the temporary folder and the task that converts it.
    TaskSource AddWav(const std::string& name, int rate, int channels, size_t frames,
                      int format = Wav16) {
        WriteWav(name, format, rate, channels, test::TestSignal16(frames, channels, ++seed));
        return Row(name, rate, channels, frames);
    }
    void WriteWav(const std::string& name, int format, int rate, int channels,
                  const std::vector<int32_t>& samples) {
        test::WriteSoundFile(dir / ("in/" + name), format, rate, channels, samples);
    }
    TaskSource Row(const std::string& name, int rate, int channels, size_t frames) {
        return test::SourceRow(dir / ("in/" + name), FormatWav, rate, channels, frames);
    }

    void Run(const std::vector<TaskSource>& sources) {
        ctx.Settings = settings;
        test::RunPreparedBatch(ctx, PrepareBatch(sources, settings));
    }

    // The log with the two timing lines reduced to their shape.
    std::vector<std::string> Log() const {
        static const std::regex timing(R"(Time elapsed \d+\.\d\d secs, speed \d+\.\d\dx\.)");
        static const std::regex total(
            R"(Total time elapsed \d+\.\d\d secs, overall speed \d+\.\d\dx\.)");
        std::vector<std::string> out;
        for (auto text : observer.texts()) {
            if (std::regex_match(text, timing)) {
                text = "<time>";
            } else if (std::regex_match(text, total)) {
                text = "<total>";
            }
            out.push_back(text);
        }
        return out;
    }

    std::vector<std::string> TaskBlock(const std::string& name, const std::string& outName) const {
        return {SeparatorLine,
                "Start a new converting task.",
                "Source:  " + dir / ("in/" + name) + ".",
                "Destination: " + dir / ("out/" + outName) + ".",
                "<time>",
                "Converting status: OK."};
    }

    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx;
    ConversionSettings settings;
    uint32_t seed = 0;
};

TEST_F(BatchDriverTest, BatchOfOneLogsNoClosingTotalButFinishes) {
    std::filesystem::create_directories(dir / "in");
    Run({AddWav("one.wav", 44100, 2, 1000)});
    EXPECT_EQ(Log(), TaskBlock("one.wav", "one.wav"));
    EXPECT_EQ(observer.doneCount(), 1);
    EXPECT_EQ(observer.batchStartedCount(), 1);
    EXPECT_EQ(observer.captions(), std::vector<std::string>{"Converting 1/1"});
}

TEST_F(BatchDriverTest, BatchOfThreeLogsEachTaskThenTheTotal) {
    std::filesystem::create_directories(dir / "in");
    Run({AddWav("a.wav", 44100, 2, 5000), AddWav("b.wav", 22050, 1, 3000),
         AddWav("c.wav", 48000, 2, 100)});
    std::vector<std::string> expected;
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
        auto block = TaskBlock(name, name);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    expected.push_back(SeparatorLine);
    expected.push_back("<total>");
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(observer.doneCount(), 1);
    EXPECT_EQ(observer.captions(),
              (std::vector<std::string>{"Converting 1/3", "Converting 2/3", "Converting 3/3"}));
    EXPECT_EQ(ctx.OverallSamplesDone, 5000u * 2 + 3000u + 100u * 2);
    // The final synchronous report of every task reaches 100 %.
    for (const auto& [task, overall] : observer.syncProgress()) {
        EXPECT_FLOAT_EQ(task, 100.0f);
        (void)overall;
    }
    EXPECT_FLOAT_EQ(observer.syncProgress().back().second, 100.0f);
}

TEST_F(BatchDriverTest, FailingSecondTaskOfFiveStopsTheBatch) {
    std::filesystem::create_directories(dir / "in");
    std::vector<TaskSource> rows = {AddWav("1.wav", 44100, 2, 100), Row("2.wav", 44100, 2, 100),
                                    AddWav("3.wav", 44100, 2, 100), AddWav("4.wav", 44100, 2, 100),
                                    AddWav("5.wav", 44100, 2, 100)};
    Run(rows);
    std::vector<std::string> expected = TaskBlock("1.wav", "1.wav");
    expected.insert(
        expected.end(),
        {SeparatorLine, "Start a new converting task.", "Source:  " + dir / "in/2.wav" + ".",
         "Destination: " + dir / "out/2.wav" + ".",
         "File Error: No such file or directory (" + dir / "in/2.wav" + ")",
         dir / "in/2.wav" + " was not converted: File Error: No such file or directory (" +
             dir / "in/2.wav" + ")",
         "Converting status: ERROR."});
    EXPECT_EQ(Log(), expected);
    const auto lines = observer.lines();
    EXPECT_EQ(lines[lines.size() - 2].level, LogLevel::Error);
    EXPECT_EQ(lines.back().level, LogLevel::Error);
    EXPECT_EQ(observer.doneCount(), 0);
    EXPECT_EQ(observer.stoppedCount(), 1);
    for (const char* name : {"2.wav", "3.wav", "4.wav", "5.wav"}) {
        EXPECT_FALSE(std::filesystem::exists(dir / ("out/" + std::string(name)))) << name;
    }
}

TEST_F(BatchDriverTest, EmptyBatchOnlyFinishes) {
    Run({});
    EXPECT_TRUE(observer.texts().empty());
    EXPECT_EQ(observer.doneCount(), 1);
    EXPECT_EQ(observer.stoppedCount(), 0);
}

TEST_F(BatchDriverTest, UncreatableOutputFolderEndsTheBatchAtOnce) {
    std::filesystem::create_directories(dir / "in");
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    settings.OUTPUT.DesDir = dir / "blocker/sub/";
    Run({AddWav("a.wav", 44100, 2, 100), AddWav("b.wav", 44100, 2, 100)});
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         SeparatorLine, "Fail to create folder " + dir / "blocker/sub" + " ! (" +
                                            dir / "blocker/sub" + ": Not a directory)"}));
    EXPECT_EQ(observer.lines().back().level, LogLevel::Error);
    EXPECT_EQ(observer.doneCount(), 0);
    EXPECT_EQ(observer.stoppedCount(), 1);
}

// A disk that fills up mid-file (a file-size limit stands for it): the output, which a player
// would take for the whole file, is removed and the log says why, naming both files.
TEST_F(BatchDriverTest, FullDiskRemovesTheUnfinishedOutputAndSaysWhy) {
    std::filesystem::create_directories(dir / "in");
    std::filesystem::create_directories(dir / "out");
    const TaskSource row = AddWav("long.wav", 44100, 2, 44100 * 4);
    const std::string out = dir / "out/long.wav";

    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    Run({row});
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    const std::string cause = "Output file write error (" + out + ": " + std::strerror(EFBIG) + ")";
    const auto log = Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[log.size() - 4], cause);
    EXPECT_EQ(log[log.size() - 3], "The unfinished output " + out + " was removed.");
    EXPECT_EQ(log[log.size() - 2], dir / "in/long.wav" + " was not converted: " + cause);
    EXPECT_EQ(log.back(), "Converting status: ERROR.");
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(observer.stoppedCount(), 1);
}

TEST_F(BatchDriverTest, ExistingOutputsAreNeverOverwritten) {
    std::filesystem::create_directories(dir / "in");
    std::filesystem::create_directories(dir / "out");
    for (const char* name : {"song.wav", "song (2).wav", "song (3).wav"}) {
        std::ofstream(dir / ("out/" + std::string(name))) << "keep me";
    }
    Run({AddWav("song.wav", 44100, 2, 100)});
    EXPECT_EQ(Log(), TaskBlock("song.wav", "song (4).wav"));
    for (const char* name : {"song.wav", "song (2).wav", "song (3).wav"}) {
        std::ifstream in(dir / ("out/" + std::string(name)));
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, "keep me");
    }
    EXPECT_EQ(test::ReadSoundFile(dir / "out/song (4).wav").samples.size(), 200u);
}

// 10 000 frames arrive in blocks of 4096, 4096 and 1808; the last short block and the
// encoder's last partial pass must both be complete.
TEST_F(BatchDriverTest, SixteenBitWavToWavIsBitExact) {
    std::filesystem::create_directories(dir / "in");
    for (int channels : {1, 2}) {
        const std::string name = "exact" + std::to_string(channels) + ".wav";
        const auto signal = test::TestSignal16(10000, channels, 42);
        WriteWav(name, Wav16, 44100, channels, signal);
        TaskSource row = Row(name, 44100, channels, 10000);
        Run({row});
        test::SoundFile out = test::ReadSoundFile(dir / ("out/" + name));
        EXPECT_EQ(out.format, Wav16);
        EXPECT_EQ(out.rate, 44100);
        EXPECT_EQ(out.channels, channels);
        EXPECT_EQ(out.samples, signal) << channels << " channels";
    }
}

TEST_F(BatchDriverTest, EightBitOutputKeepsTheTopByteOfEverySample) {
    std::filesystem::create_directories(dir / "in");
    settings.WAV.SubFormat = 0;
    const auto signal = test::TestSignal16(3000, 2, 7);
    WriteWav("eight.wav", Wav16, 22050, 2, signal);
    Run({Row("eight.wav", 22050, 2, 3000)});
    test::SoundFile out = test::ReadSoundFile(dir / "out/eight.wav");
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ASSERT_EQ(out.samples.size(), signal.size());
    for (size_t i = 0; i < signal.size(); ++i) {
        ASSERT_EQ(out.samples[i], static_cast<int32_t>(signal[i] & 0xFF000000u)) << i;
    }
}

TEST_F(BatchDriverTest, FloatSourcesAreScaledDownOnlyWhenTheyExceedFullScale) {
    std::filesystem::create_directories(dir / "in");
    for (double peak : {2.0, 0.5}) {
        const std::vector<double> values = {peak, -0.25, 0.125, -peak / 2, 0.0, 0.0625};
        const std::string name = "float" + std::to_string(static_cast<int>(peak * 10)) + ".wav";
        test::WriteSoundFileDouble(dir / ("in/" + name), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1,
                                   values);
        Run({Row(name, 8000, 1, values.size())});
        const double scale = peak >= 1.0 ? peak : 1.0;
        test::SoundFile out = test::ReadSoundFile(dir / ("out/" + name));
        ASSERT_EQ(out.samples.size(), values.size());
        for (size_t i = 0; i < values.size(); ++i) {
            // The 16-bit output keeps the top half of the 32-bit sample.
            const int32_t expected = (FloatToSample(values[i] / scale) >> 16) * 65536;
            EXPECT_EQ(out.samples[i], expected) << "peak " << peak << " sample " << i;
        }
    }
}

// A stop request while the decoder waits for room and the encoder is paused ends both stages
// promptly; the task ends as an error and the partial output is a valid, shorter file.
TEST_F(BatchDriverTest, PauseLongerThanTheWorkerBoundDoesNotFailTheTask) {
    // A short file: its decoder ends at once, and the paused encoder then idles for three times
    // the bound the driver gives a worker after its decoder. The bound is cut short for the
    // test, but stays well above the time a resumed encoder needs to wake and finish.
    std::filesystem::create_directories(dir / "in");
    ctx.JoinBoundMs = 500;
    ctx.Settings = settings;
    ctx.LoadBatch(PrepareBatch({AddWav("short.wav", 44100, 2, 4410)}, settings));
    ctx.ResetForBatch();
    ctx.Running = 1;
    ctx.Paused = 1;
    std::thread batchThread([&] { RunBatch(ctx); });
    ASSERT_TRUE(test::WaitUntil([&] { return ctx.DecodedRing.TotalWritten() == 4410u * 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * ctx.JoinBoundMs));
    ctx.Paused = 0;
    batchThread.join();
    EXPECT_EQ(Log(), TaskBlock("short.wav", "short.wav"));
    EXPECT_EQ(observer.doneCount(), 1);
}

TEST_F(BatchDriverTest, CancelEndsARunningBatchPromptlyAndNamesThePartialOutput) {
    std::filesystem::create_directories(dir / "in");
    RecordingObserver obs;
    PipelineContext small(obs, 4096 * 2 * 3);
    small.StartDelayMs = 0;
    small.Settings = settings;
    small.LoadBatch(PrepareBatch({AddWav("long.wav", 44100, 2, 200000)}, settings));
    small.ResetForBatch();
    small.Running = 1;
    small.Paused = 1;
    std::atomic<bool> finished{false};
    std::thread batchThread([&] {
        RunBatch(small);
        finished = true;
    });
    ASSERT_TRUE(test::WaitUntil([&] { return small.DecodedRing.FreeSpace() < 4096 * 2; }));
    small.Cancel();
    const bool endedInTime =
        test::WaitUntil([&] { return finished.load(); }, std::chrono::seconds(5));
    batchThread.join();
    EXPECT_TRUE(endedInTime);
    const std::vector<std::string> texts = obs.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.back(), "Converting status: ERROR.");
    EXPECT_EQ(texts[texts.size() - 2],
              "The output " + dir / "out/long.wav" + " holds what was converted before Cancel.");
    EXPECT_EQ(obs.doneCount(), 0);
    test::SoundFile out = test::ReadSoundFile(dir / "out/long.wav");
    EXPECT_LT(out.samples.size(), 400000u);
}

}  // namespace
}  // namespace tonquill
