#include <cmath>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sndfile.h>

#include "convert/BatchDriver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "convert/sox/SoxEffectPlan.h"
#include "convert/sox/SoxRingEffects.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

using test::RecordingObserver;
using test::TempDir;

constexpr int Wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// A sine of the given frequency and amplitude (of full scale) in every channel.
std::vector<int32_t> Sine(size_t frames, int channels, int rate, double hz, double amplitude) {
    std::vector<int32_t> samples;
    samples.reserve(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        const double v =
            amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) {
            samples.push_back(static_cast<int32_t>(std::lround(v * 2147483647.0)));
        }
    }
    return samples;
}

// Root mean square of one channel, as a fraction of full scale.
double Rms(const std::vector<int32_t>& samples, int channels, int channel) {
    double sum = 0;
    size_t n = 0;
    for (size_t i = static_cast<size_t>(channel); i < samples.size();
         i += static_cast<size_t>(channels)) {
        const double v = samples[i] / 2147483648.0;
        sum += v * v;
        ++n;
    }
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

// Frequency of one channel from its rising zero crossings, skipping the resampler's edges.
double MeasuredFrequency(const std::vector<int32_t>& samples, int channels, int rate) {
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    const size_t begin = frames / 10;
    const size_t end = frames - frames / 10;
    size_t first = 0;
    size_t last = 0;
    int crossings = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        if (samples[(i - 1) * channels] < 0 && samples[i * channels] >= 0) {
            if (crossings == 0) {
                first = i;
            }
            last = i;
            ++crossings;
        }
    }
    return crossings > 1
               ? (crossings - 1) * static_cast<double>(rate) / static_cast<double>(last - first)
               : 0.0;
}

// ---- The chain's effects ----

struct PlanCase {
    const char* name;
    int sourceRate, sourceChannels, targetRate, targetChannels;
    std::vector<SoxEffectStep> steps;
};

TEST(SoxEffectPlanTest, ChannelsComeBeforeRateAndOnlyWhatChangesIsAdded) {
    const PlanCase cases[] = {
        {"mono 22050 to stereo 44100", 22050, 1, 44100, 2, {{"channels", "2"}, {"rate", "44100"}}},
        {"48000 stereo to mono", 48000, 2, 48000, 1, {{"channels", "1"}}},
        {"rate only", 96000, 2, 48000, 2, {{"rate", "48000"}}},
        {"six channels to stereo at 8000", 8000, 6, 8000, 2, {{"channels", "2"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanSoxEffects(c.sourceRate, c.sourceChannels, c.targetRate, c.targetChannels),
                  c.steps)
            << c.name;
    }
}

// ---- The two ring effects ----

class RingEffectTest : public ::testing::Test {
protected:
    RingEffectTest() : ctx(observer, 65536) {
        ctx.Running = 1;
        ctx.CurrentTask = &task;
        link = {&ctx, &task};
    }
    void Feed(uint32_t n) {
        std::vector<int> samples(n);
        for (uint32_t i = 0; i < n; ++i) {
            samples[i] = static_cast<int>(i + 1);
        }
        ASSERT_EQ(ctx.DecodedRing.Write(samples.data(), n), n);
    }

    RecordingObserver observer;
    PipelineContext ctx;
    CConversionTask task;
    SoxRingLink link;
    std::vector<sox_sample_t> buffer = std::vector<sox_sample_t>(16384, -1);
};

TEST_F(RingEffectTest, RequestIsLoweredToWholeFramesBeforeTheRingIsRead) {
    task.DecoderRunning = 1;
    Feed(8192);
    size_t count = 8191;
    EXPECT_EQ(DrainDecodedRing(link, 2, buffer.data(), &count), SOX_SUCCESS);
    EXPECT_EQ(count, 8190u);
    EXPECT_EQ(buffer[8189], 8190);
    EXPECT_EQ(ctx.DecodedRing.Available(), 2u);
}

TEST_F(RingEffectTest, LastSamplesAfterTheDecoderEndedAreDeliveredThenEndOfStream) {
    task.DecoderRunning = 0;
    Feed(3);
    size_t count = 8192;
    EXPECT_EQ(DrainDecodedRing(link, 1, buffer.data(), &count), SOX_SUCCESS);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(std::vector<sox_sample_t>(buffer.begin(), buffer.begin() + 3),
              (std::vector<sox_sample_t>{1, 2, 3}));
    count = 8192;
    EXPECT_EQ(DrainDecodedRing(link, 1, buffer.data(), &count), SOX_EOF);
    EXPECT_EQ(count, 0u);
}

TEST_F(RingEffectTest, InputWaitsForTheDecoderAndEndsWhenTheBatchStops) {
    task.DecoderRunning = 1;
    Feed(10);  // fewer than asked while the decoder still runs: wait
    int status = -1;
    size_t count = 4096;
    std::thread drain([&] { status = DrainDecodedRing(link, 2, buffer.data(), &count); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ctx.Stop();
    drain.join();
    EXPECT_EQ(status, SOX_EOF);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(ctx.DecodedRing.Available(), 10u);
}

TEST_F(RingEffectTest, OutputTakesEverythingAndProducesNothing) {
    std::vector<sox_sample_t> in(8192, 7);
    size_t inCount = in.size();
    size_t outCount = 8192;
    EXPECT_EQ(FillProcessedRing(link, in.data(), &inCount, &outCount), SOX_SUCCESS);
    EXPECT_EQ(inCount, 8192u);
    EXPECT_EQ(outCount, 0u);
    EXPECT_EQ(ctx.ProcessedRing.Available(), 8192u);
}

TEST_F(RingEffectTest, OutputWaitingForRoomEndsWhenTheBatchStops) {
    std::vector<sox_sample_t> in(ctx.ProcessedRing.Capacity(), 1);
    size_t inCount = in.size();
    size_t outCount = 0;
    ASSERT_EQ(FillProcessedRing(link, in.data(), &inCount, &outCount), SOX_SUCCESS);
    int status = -1;
    std::thread flow([&] {
        size_t more = 100;
        size_t none = 0;
        status = FillProcessedRing(link, in.data(), &more, &none);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ctx.Stop();
    flow.join();
    EXPECT_EQ(status, SOX_EOF);
}

// ---- The stage in a batch ----

class ProcessorStageTest : public ::testing::Test {
protected:
    ProcessorStageTest() : ctx(observer) {
        ctx.StartDelayMs = 0;
        settings.OUTPUT.OutputFormat = FormatWav;
        settings.OUTPUT.DesDir = dir / "out/";
        std::filesystem::create_directories(dir / "in");
        std::filesystem::create_directories(dir / "out");
    }

    TaskSource WriteSource(const std::string& name, int rate, int channels, size_t frames,
                           double hz = 440.0) {
        test::WriteSoundFile(dir / ("in/" + name), Wav16, rate, channels,
                             Sine(frames, channels, rate, hz, 0.5));
        return test::SourceRow(dir / ("in/" + name), FormatWav, rate, channels, frames);
    }

    void RunTasks(std::vector<CConversionTask> tasks) {
        ctx.Settings = settings;
        PreparedBatch batch;
        for (auto& t : tasks) {
            batch.overallSamplesTotal += t.EstimatedSamples;
        }
        batch.tasks = std::move(tasks);
        test::RunPreparedBatch(ctx, batch);
    }

    TempDir dir;
    RecordingObserver observer;
    PipelineContext ctx;
    ConversionSettings settings;
};

TEST_F(ProcessorStageTest, MonoToStereoAtTwiceTheRateKeepsLengthAndPitch) {
    settings.WAV.Freq = 8;  // 44100
    settings.WAV.Channel = ChannelStereo;
    RunTasks({PrepareTask(WriteSource("tone.wav", 22050, 1, 22050, 1000.0), settings)});
    ASSERT_EQ(observer.errorTexts(), std::vector<std::string>{});
    ASSERT_EQ(observer.doneCount(), 1);

    const test::SoundFile out = test::ReadSoundFile(dir / "out/tone.wav");
    EXPECT_EQ(out.rate, 44100);
    ASSERT_EQ(out.channels, 2);
    const size_t frames = out.samples.size() / 2;
    EXPECT_NEAR(static_cast<double>(frames), 44100.0, 2.0);
    EXPECT_NEAR(MeasuredFrequency(out.samples, 2, 44100), 1000.0, 2.0);
    for (size_t i = 0; i < frames; ++i) {
        ASSERT_EQ(out.samples[2 * i], out.samples[2 * i + 1]) << "frame " << i;
    }
    EXPECT_NEAR(Rms(out.samples, 2, 0), 0.5 / std::sqrt(2.0), 0.02);
}

// Every rate of the table (and automatic) with every channel choice, from two awkward sources.
TEST_F(ProcessorStageTest, SixChannelSourcesConvertToEveryTargetTheSettingsAllow) {
    struct Source {
        const char* name;
        int rate;
    };
    const Source sources[] = {{"six8000.wav", 8000}, {"six96000.wav", 96000}};
    const int channelCodes[] = {ChannelAuto, ChannelMono, ChannelStereo};

    struct Expectation {
        std::string path;
        int rate, channels;
        double frames;
    };
    std::vector<CConversionTask> tasks;
    std::vector<Expectation> expected;
    for (const Source& source : sources) {
        const size_t frames = static_cast<size_t>(source.rate) / 4;
        const TaskSource row = WriteSource(source.name, source.rate, 6, frames, 300.0);
        for (int freq = 0; freq < static_cast<int>(SampleRateTable.size()); ++freq) {
            for (int code : channelCodes) {
                ConversionSettings s = settings;
                s.WAV.Freq = static_cast<int16_t>(freq);
                s.WAV.Channel = code;
                CConversionTask task = PrepareTask(row, s);
                task.DestPath = dir / ("out/" + std::to_string(source.rate) + "_" +
                                       std::to_string(freq) + "_" + std::to_string(code) + ".wav");
                ASSERT_TRUE(task.NeedsProcessing);
                expected.push_back({task.DestPath, task.TargetRate, task.TargetChannels,
                                    static_cast<double>(frames) * task.TargetRate / source.rate});
                tasks.push_back(task);
            }
        }
    }
    RunTasks(tasks);
    ASSERT_EQ(observer.errorTexts(), std::vector<std::string>{});
    ASSERT_EQ(observer.doneCount(), 1);

    for (const auto& e : expected) {
        const test::SoundFile out = test::ReadSoundFile(e.path);
        EXPECT_EQ(out.rate, e.rate) << e.path;
        ASSERT_EQ(out.channels, e.channels) << e.path;
        const double frames = static_cast<double>(out.samples.size() / out.channels);
        EXPECT_NEAR(frames, e.frames, 2.0) << e.path;
        // Six equal channels mixed down keep the tone's level.
        EXPECT_NEAR(Rms(out.samples, out.channels, 0), 0.5 / std::sqrt(2.0), 0.03) << e.path;
    }
}

// Independent pipelines (the command line's parallel jobs) build, run and tear down their chains
// at the same moments; libsox's shared state must not be written by two of them at once (the
// sanitizer build of this test reports it when it is).
TEST_F(ProcessorStageTest, ParallelPipelinesConvertAtOnceWithoutInterfering) {
    constexpr int Pipelines = 4;
    constexpr int TasksEach = 6;
    const int sourceRates[] = {8000, 22050, 44100, 96000};
    struct Job {
        RecordingObserver observer;
        std::unique_ptr<PipelineContext> ctx;
        PreparedBatch batch;
        std::vector<std::string> outputs;
        std::vector<int> targetRates;
    };
    std::vector<Job> jobs(Pipelines);
    for (int p = 0; p < Pipelines; ++p) {
        Job& job = jobs[p];
        job.ctx = std::make_unique<PipelineContext>(job.observer);
        job.ctx->StartDelayMs = 0;
        const int rate = sourceRates[p];
        const TaskSource row =
            WriteSource("p" + std::to_string(p) + ".wav", rate, 2, static_cast<size_t>(rate) / 5);
        ConversionSettings s = settings;
        s.WAV.Channel = ChannelMono;
        for (int t = 0; t < TasksEach; ++t) {
            s.WAV.Freq = static_cast<int16_t>(1 + (p + t) % 9);
            CConversionTask task = PrepareTask(row, s);
            task.DestPath = dir / ("out/p" + std::to_string(p) + "_" + std::to_string(t) + ".wav");
            job.outputs.push_back(task.DestPath);
            job.targetRates.push_back(task.TargetRate);
            job.batch.overallSamplesTotal += task.EstimatedSamples;
            job.batch.tasks.push_back(task);
        }
        job.ctx->Settings = s;
    }
    std::vector<std::thread> threads;
    for (Job& job : jobs) {
        threads.emplace_back([&job] { test::RunPreparedBatch(*job.ctx, job.batch); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int p = 0; p < Pipelines; ++p) {
        const Job& job = jobs[p];
        ASSERT_EQ(job.observer.errorTexts(), std::vector<std::string>{}) << "pipeline " << p;
        EXPECT_EQ(job.observer.doneCount(), 1) << "pipeline " << p;
        for (size_t t = 0; t < job.outputs.size(); ++t) {
            const test::SoundFile out = test::ReadSoundFile(job.outputs[t]);
            EXPECT_EQ(out.rate, job.targetRates[t]) << job.outputs[t];
            EXPECT_EQ(out.channels, 1) << job.outputs[t];
            EXPECT_NEAR(static_cast<double>(out.samples.size()), job.targetRates[t] / 5.0, 2.0)
                << job.outputs[t];
        }
    }
}

TEST_F(ProcessorStageTest, StopWhileEveryStageWaitsEndsTheChainCleanly) {
    // Small rings and a paused encoder: the processing stage ends up waiting on a full ring
    // with the decoder waiting behind it, mid-stream.
    RecordingObserver smallObserver;
    PipelineContext small(smallObserver, 65536);
    small.StartDelayMs = 0;
    settings.WAV.Freq = 9;  // 48000
    settings.WAV.Channel = ChannelMono;
    small.Settings = settings;
    small.Tasks = {PrepareTask(WriteSource("long.wav", 8000, 6, 8000 * 20), settings)};
    small.OverallSamplesTotal = small.Tasks[0].EstimatedSamples;
    small.ResetForBatch();
    small.Paused = 1;
    small.Running = 1;

    std::atomic<bool> finished{false};
    std::thread batch([&] {
        RunBatch(small);
        finished = true;
    });
    const bool stalled = test::WaitUntil([&] {
        return small.ProcessedRing.FreeSpace() < 8192 && small.DecodedRing.FreeSpace() < 6 * 4096;
    });
    small.Stop();
    const bool ended = test::WaitUntil([&] { return finished.load(); });
    if (!ended) {
        small.Paused = 0;
    }
    batch.join();
    EXPECT_TRUE(stalled);
    EXPECT_TRUE(ended);

    const auto texts = smallObserver.texts();
    EXPECT_EQ(texts.back(), "Converting status: ERROR.");
    for (const auto& text : texts) {
        EXPECT_NE(text, "An error occurred while processing audio data");
    }
    EXPECT_EQ(smallObserver.doneCount(), 0);
}

}  // namespace
}  // namespace tonquill
