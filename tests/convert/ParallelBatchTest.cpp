#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Tick.h"
#include "convert/BatchDriver.h"
#include "convert/ParallelBatch.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::TempDir;

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// The blocks of log lines the pipelines handed over, one per ended task, in the order they came.
class BlockLog {
public:
    void Add(std::vector<std::string> block) {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    std::vector<std::vector<std::string>> Blocks() const {
        std::lock_guard lock(mutex_);
        return blocks_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::vector<std::string>> blocks_;
};

class HoldingObserver : public PipelineObserver {
public:
    explicit HoldingObserver(BlockLog& log) : log_(log) {}
    void Log(const std::string& text, LogLevel) override {
        std::lock_guard lock(mutex_);
        held_.push_back(text);
    }
    void Progress(float, float, bool) override {}
    void Done() override {}
    void Caption(const std::string&) override {}
    void Paths(const std::string&, const std::string&) override {}
    void Message(const std::string&, MessageIcon) override {}
    void TaskEnded() override {
        std::lock_guard lock(mutex_);
        if (!held_.empty()) {
            log_.Add(std::move(held_));
            held_.clear();
        }
    }

private:
    BlockLog& log_;
    std::mutex mutex_;  // the batch's watch logs from its own thread too
    std::vector<std::string> held_;
};

class ParallelBatchTest : public ::testing::Test {
protected:
    ParallelBatchTest() {
        std::filesystem::create_directories(dir / "in");
        settings.OUTPUT.OutputFormat = FormatWav;
        settings.OUTPUT.DesDir = dir / "out/";
    }

    TaskSource AddWav(const std::string& name, size_t frames) {
        test::WriteSoundFile(dir / ("in/" + name), Wav16, 44100, 2,
                             test::TestSignal16(frames, 2, ++seed));
        return test::SourceRow(dir / ("in/" + name), FormatWav, 44100, 2, frames);
    }

    std::unique_ptr<ParallelBatch> Make(const std::vector<TaskSource>& sources, int pipelines) {
        return std::make_unique<ParallelBatch>(
            PrepareBatch(sources, settings), settings, pipelines, false,
            [this](int, int) { return std::make_unique<HoldingObserver>(log); });
    }

    bool Out(const std::string& name) const {
        return std::filesystem::exists(dir / ("out/" + name));
    }

    static bool WaitFor(const std::function<bool()>& pred) {
        for (int i = 0; i < 2000 && !pred(); ++i) {
            SleepMs(10);
        }
        return pred();
    }

    TempDir dir;
    ConversionSettings settings;
    BlockLog log;
    test::RecordingObserver closing;
    uint32_t seed = 0;
};

// 30 s of audio cannot pass through a paused pipeline (its rings hold about 12 s).
constexpr size_t Long = 44100 * 30;

TEST_F(ParallelBatchTest, PipelinesTakeFilesInOrderAndTheFirstStartedIsFollowed) {
    auto batch = Make({AddWav("a.wav", Long), AddWav("b.wav", Long), AddWav("c.wav", 1000)}, 2);
    ASSERT_EQ(batch->Pipelines(), 2);
    batch->SetPaused(true);
    BatchReport report;
    std::thread runner([&] { report = batch->Run(closing); });

    // Two files at once and no third while both run.
    ASSERT_TRUE(WaitFor([&] { return batch->Snapshot().runningPercents.size() == 2; }));
    SleepMs(200);
    const ParallelBatchSnapshot paused = batch->Snapshot();
    EXPECT_EQ(paused.started, 2);
    EXPECT_EQ(paused.count, 3);
    EXPECT_EQ(paused.currentTask, 0);
    EXPECT_TRUE(Out("a.wav") && Out("b.wav"));
    EXPECT_FALSE(Out("c.wav"));

    batch->SetPaused(false);
    runner.join();
    EXPECT_EQ(report.converted, 3);
    EXPECT_TRUE(report.failedSources.empty());
    EXPECT_EQ(report.notStarted, 0);
    EXPECT_FLOAT_EQ(batch->Snapshot().overallPercent, 100.0f);
    EXPECT_EQ(test::ReadSoundFile(dir / "out/c.wav").samples.size(), 2000u);

    // Each file's lines arrive in one piece; the closing total goes to the batch's log.
    const auto blocks = log.Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    std::set<std::string> sources;
    for (const auto& block : blocks) {
        ASSERT_EQ(block.size(), 6u);
        EXPECT_EQ(block[0], SeparatorLine);
        EXPECT_EQ(block[1], "Start a new converting task.");
        sources.insert(block[2]);
        EXPECT_EQ(block.back(), "Converting status: OK.");
    }
    EXPECT_EQ(sources.size(), 3u);
    ASSERT_EQ(closing.texts().size(), 2u);
    EXPECT_EQ(closing.texts()[0], SeparatorLine);
    EXPECT_EQ(closing.texts()[1].rfind("Total time elapsed ", 0), 0u);
}

TEST_F(ParallelBatchTest, AFailureStopsNewStartsWhileRunningFilesFinish) {
    auto batch = Make(
        {AddWav("a.wav", Long), test::SourceRow(dir / "in/missing.wav", FormatWav, 44100, 2, 1000),
         AddWav("c.wav", 1000), AddWav("d.wav", 1000)},
        2);
    batch->SetPaused(true);
    BatchReport report;
    std::thread runner([&] { report = batch->Run(closing); });
    // The missing file fails even while paused; the paused long file is still running.
    ASSERT_TRUE(WaitFor([&] { return log.Blocks().size() == 1; }));
    SleepMs(200);
    EXPECT_EQ(batch->Snapshot().started, 2);
    batch->SetPaused(false);
    runner.join();

    EXPECT_EQ(report.converted, 1);
    ASSERT_EQ(report.failedSources.size(), 1u);
    EXPECT_EQ(report.failedSources[0], dir / "in/missing.wav");
    EXPECT_EQ(report.notStarted, 2);
    EXPECT_FALSE(report.interrupted);
    EXPECT_TRUE(Out("a.wav"));
    EXPECT_FALSE(Out("c.wav") || Out("d.wav"));
    EXPECT_EQ(log.Blocks()[0].back(), "Converting status: ERROR.");
    EXPECT_TRUE(closing.texts().empty());
}

TEST_F(ParallelBatchTest, InterruptEndsEveryRunningFileAndStartsNoOther) {
    auto batch = Make({AddWav("a.wav", Long), AddWav("b.wav", Long), AddWav("c.wav", 1000)}, 2);
    batch->SetPaused(true);
    BatchReport report;
    std::thread runner([&] { report = batch->Run(closing); });
    ASSERT_TRUE(WaitFor([&] { return batch->Snapshot().runningPercents.size() == 2; }));
    batch->Interrupt();
    runner.join();
    EXPECT_TRUE(report.interrupted);
    EXPECT_EQ(report.converted, 0);
    EXPECT_EQ(report.failedSources.size(), 2u);
    EXPECT_EQ(report.notStarted, 1);
    EXPECT_FALSE(Out("c.wav"));
    // Each file cut short says that its output stays, with what it holds, before its status.
    std::set<std::string> told;
    for (const auto& block : log.Blocks()) {
        ASSERT_GE(block.size(), 2u);
        EXPECT_EQ(block.back(), "Converting status: ERROR.");
        told.insert(block[block.size() - 2]);
    }
    const std::string out = dir / "out/";
    EXPECT_EQ(told, (std::set<std::string>{
                        "The output " + out + "a.wav holds what was converted before Cancel.",
                        "The output " + out + "b.wav holds what was converted before Cancel."}));
}

// A source that never yields a byte: opening a named pipe that no one writes blocks, as a codec
// call on a hung network share does. The batch stops the file, leaves its pipeline behind and
// ends, while the other pipeline converts the rest; the stuck thread, let go afterwards, touches
// neither the log nor the output name it once claimed.
TEST_F(ParallelBatchTest, AStuckSourceIsLeftBehindAndTheBatchEnds) {
    const std::string pipe = dir / "in/stuck.wav";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ParallelBatch batch(
        PrepareBatch({test::SourceRow(pipe, FormatWav, 44100, 2, 44100), AddWav("b.wav", 1000),
                      AddWav("c.wav", 1000)},
                     settings),
        settings, 2, true, [this](int, int) { return std::make_unique<HoldingObserver>(log); },
        [](PipelineContext& ctx, ConversionObserver&, int) {
            ctx.StallBoundMs = 1000;
            ctx.StopGraceMs = 1000;
        });
    BatchReport report;
    std::atomic<bool> ended{false};
    std::thread runner([&] {
        report = batch.Run(closing);
        ended = true;
    });
    const bool endedWhileStuck = WaitFor([&] { return ended.load(); });
    if (!endedWhileStuck) {
        // Let the stuck open return, so the failure is reported rather than hanging.
        ::close(::open(pipe.c_str(), O_RDWR));
    }
    runner.join();
    ASSERT_TRUE(endedWhileStuck);

    EXPECT_EQ(report.converted, 2);
    EXPECT_EQ(report.failedSources, std::vector<std::string>{pipe});
    EXPECT_EQ(report.leftBehind, 1);
    EXPECT_TRUE(Out("b.wav") && Out("c.wav"));
    EXPECT_FALSE(Out("stuck.wav"));
    const auto blocks = log.Blocks();
    ASSERT_EQ(blocks.size(), 3u);
    const std::string stopped = "No progress on " + pipe + " for 1 second: the file is stopped.";
    EXPECT_EQ(blocks.back(),
              (std::vector<std::string>{
                  SeparatorLine, "Start a new converting task.", "Source:  " + pipe + ".",
                  "Destination: " + (dir / "out/stuck.wav") + ".", stopped,
                  "A stage converting " + pipe +
                      " did not end within 1 second of being stopped; it is left behind.",
                  pipe + " was not converted: " + stopped, "Converting status: ERROR."}));

    // Another file takes the output name; then the stuck open returns.
    test::WriteSoundFile(dir / "out/stuck.wav", Wav16, 44100, 2, test::TestSignal16(100, 2, 7));
    const auto before = std::filesystem::file_size(dir / "out/stuck.wav");
    ::close(::open(pipe.c_str(), O_RDWR));
    SleepMs(500);
    EXPECT_EQ(std::filesystem::file_size(dir / "out/stuck.wav"), before);
    EXPECT_EQ(log.Blocks().size(), 3u);
}

TEST(PipelinesForTest, AutomaticIsTheUsableCoresAndOddValuesStayInRange) {
    const int cores = std::min(UsableCores(), MaxPipelines);
    const std::pair<int, int> cases[] = {{0, cores}, {-5, cores}, {1, 1},
                                         {3, 3},     {16, 16},    {1000, MaxPipelines}};
    for (const auto& [setting, expected] : cases) {
        EXPECT_EQ(PipelinesFor(setting), expected) << setting;
    }
    EXPECT_GE(UsableCores(), 1);
}

}  // namespace
}  // namespace tonquill
