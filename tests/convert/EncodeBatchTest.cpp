// Whole batches: generated audio through decoder, optional rate and channel stage and encoder,
// for every pair of source and output format.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include <sndfile.h>

#include "EncoderTestSupport.h"
#include "base/Format.h"
#include "base/ProgramFolder.h"
#include "convert/BatchDriver.h"
#include "convert/Codecs.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill::test {
namespace {

constexpr int Rate = 44100;
constexpr size_t Frames = Rate + 4321;
constexpr int OpusRate = 48000;

struct Source {
    int format;
    std::string path;
    int rate;
    int channels;
};

class EncodeBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx_ = std::make_unique<PipelineContext>(observer_);
        ctx_->StartDelayMs = 0;
        ASSERT_TRUE(CreateWmaComponents(*ctx_, observer_));
        LoadWmaPresetFile(*ctx_, ProgramFolder(), observer_);
        ctx_->WmaWriter->SelectPreset(ctx_->Settings.WMA.Profile);  // 44.1 kHz stereo
    }

    // Runs one batch of the sources into outDir with the current settings and the given output
    // format; returns the outputs' paths.
    std::vector<std::string> Convert(const std::vector<Source>& sources, int outputFormat,
                                     const std::string& outDir) {
        ctx_->Settings.OUTPUT.OutputFormat = static_cast<int16_t>(outputFormat);
        ctx_->Settings.OUTPUT.SameAsSrc = 0;
        ctx_->Settings.OUTPUT.DesDir = outDir;
        std::vector<TaskSource> rows;
        for (const auto& s : sources) {
            rows.push_back(test::SourceRow(s.path, s.format, s.rate, s.channels, Frames));
        }
        PreparedBatch batch = PrepareBatch(rows, ctx_->Settings);
        test::RunPreparedBatch(*ctx_, batch);
        EXPECT_TRUE(ctx_->IsRunning()) << ::testing::PrintToString(observer_.texts());
        std::vector<std::string> outputs;
        for (const auto& t : batch.tasks) {
            outputs.push_back(t.DestPath);
        }
        return outputs;
    }

    void ExpectAudio(int format, const std::string& path, int rate, int channels, size_t frames,
                     const std::vector<int32_t>& ref, size_t shortfall = 0) {
        SCOPED_TRACE(path);
        const DecodedAudio out = DecodeOutput(format, path);
        EXPECT_EQ(out.rate, rate);
        ASSERT_EQ(out.channels, channels);
        const size_t got = out.samples.size() / channels;
        // WMA adds its codec delay and padding.
        EXPECT_GE(got + shortfall, frames);
        EXPECT_LE(got, frames + 8192);
        if (!ref.empty()) {
            int lag = 0;
            EXPECT_GT(MatchSnrDb(ref, out.samples, channels, 8192, &lag), 6.0);
        }
    }

    RecordingObserver observer_;
    std::unique_ptr<PipelineContext> ctx_;
    TempDir dir_;
};

// A WAV becomes each other format of the table; then each of them becomes each output format
// with its rate and channels unchanged.
TEST_F(EncodeBatchTest, EverySourceFormatConvertsToEveryOutputFormat) {
    const auto signal = ToneSignal(Frames, 2, Rate);
    const std::string wav = dir_ / "tone.wav";
    WriteSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Rate, 2, signal);

    std::vector<Source> sources{{FormatWav, wav, Rate, 2}};
    for (const FormatInfo& info : FormatTable) {
        const int format = info.code;
        if (format == FormatWav) {
            continue;
        }
        const auto outputs = Convert({sources[0]}, format, dir_ / "sources/");
        ASSERT_EQ(outputs.size(), 1u);
        // Distinct base names, so the outputs of one batch do not take numbered names.
        const std::string ext = OutputExtension(format);
        const std::string renamed = dir_ / ("from-" + ext + "." + ext);
        std::filesystem::rename(outputs[0], renamed);
        sources.push_back({format, renamed, format == FormatOpus ? OpusRate : Rate, 2});
    }
    ASSERT_EQ(observer_.doneCount(), static_cast<int>(FormatTable.size()) - 1);

    for (const FormatInfo& info : FormatTable) {
        const int format = info.code;
        SCOPED_TRACE(OutputExtension(format));
        const auto outputs =
            Convert(sources, format, dir_ / Format("to-%s/", OutputExtension(format).c_str()));
        ASSERT_EQ(outputs.size(), sources.size());
        for (size_t i = 0; i < outputs.size(); ++i) {
            // Automatic rates keep the source's; Opus is always 48 kHz, the WMA preset 44.1.
            const int rate = format == FormatOpus  ? OpusRate
                             : format == FormatWma ? Rate
                                                   : sources[i].rate;
            const size_t frames = Frames * rate / Rate;
            // WMA gives back its last partial codec frame short; the rate stage may end a few
            // frames early.
            const bool wma = format == FormatWma || sources[i].format == FormatWma;
            ExpectAudio(format, outputs[i], rate, 2, frames,
                        rate == Rate ? signal : ToneSignal(frames, 2, rate),
                        wma                       ? 2048
                        : rate != sources[i].rate ? 64
                                                  : 0);
        }
    }
}

// Rate and channels changed on the way: 22.05 kHz mono becomes 44.1 kHz stereo.
TEST_F(EncodeBatchTest, ChangedRateAndChannelsReachTheOutput) {
    const size_t frames = 22050 + 999;
    const std::string wav = dir_ / "mono.wav";
    WriteSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, ToneSignal(frames, 1, 22050));
    ctx_->Settings.MP3.Freq = 8;  // 44100
    ctx_->Settings.MP3.LameChannel = ChannelStereo;
    ctx_->Settings.OGG.Freq = 8;
    ctx_->Settings.OGG.Channel = ChannelStereo;
    ctx_->Settings.WAV.Freq = 8;
    ctx_->Settings.WAV.Channel = ChannelStereo;
    for (int format : {FormatWav, FormatMp3, FormatOgg}) {
        SCOPED_TRACE(OutputExtension(format));
        const auto outputs = Convert({{FormatWav, wav, 22050, 1}}, format, dir_ / "out/");
        ASSERT_EQ(outputs.size(), 1u);
        ExpectAudio(format, outputs[0], 44100, 2, frames * 2, {});
    }
}

// A WMA output takes a second of audio a pass; a second of 192 kHz 5.1 is more than the ring
// holds, and the batch must still finish, mixed to the preset's two channels.
TEST_F(EncodeBatchTest, SourceWhoseSecondOutgrowsTheRingConvertsToWma) {
    const int rate = 192000;
    const size_t frames = rate + rate / 5;
    ASSERT_GT(static_cast<uint64_t>(rate) * 6, ctx_->DecodedRing.Capacity());
    const std::string wav = dir_ / "hires.wav";
    WriteSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_24, rate, 6, ToneSignal(frames, 6, rate));

    ctx_->Settings.OUTPUT.OutputFormat = FormatWma;
    ctx_->Settings.OUTPUT.DesDir = dir_ / "out/";
    const PreparedBatch batch =
        PrepareBatch({test::SourceRow(wav, FormatWav, rate, 6, frames)}, ctx_->Settings);
    std::atomic<bool> finished{false};
    std::thread batchThread([&] {
        test::RunPreparedBatch(*ctx_, batch);
        finished = true;
    });
    const bool inTime = WaitUntil([&] { return finished.load(); }, std::chrono::seconds(30));
    ctx_->Stop();
    batchThread.join();
    ASSERT_TRUE(inTime) << "the batch waited for a chunk the ring cannot hold";
    EXPECT_EQ(observer_.doneCount(), 1) << ::testing::PrintToString(observer_.texts());
    ExpectAudio(FormatWma, batch.tasks[0].DestPath, 44100, 2, frames * 44100 / rate, {}, 2048);
}

// Lossless paths keep every bit, at 16 bits and at 24 bits and 96 kHz (a rate the lossless
// outputs keep): the WAV goes through every lossless format of the table in turn and comes back
// to WAV, each output holding the original samples.
TEST_F(EncodeBatchTest, LosslessRoundTripsAreBitExact) {
    std::vector<int> chain;
    for (const FormatInfo& info : FormatTable) {
        if (info.lossless && info.code != FormatWav) {
            chain.push_back(info.code);
        }
    }
    ASSERT_GE(chain.size(), 2u);
    chain.push_back(FormatWav);
    struct Case {
        int sndfileFormat;
        int bits;
        int rate;
    };
    for (const Case& c : {Case{SF_FORMAT_PCM_16, 16, 44100}, Case{SF_FORMAT_PCM_24, 24, 96000}}) {
        SCOPED_TRACE(c.bits);
        const std::string wav = dir_ / Format("in%d.wav", c.bits);
        std::vector<int32_t> signal = TestSignal16(Frames, 2);
        if (c.bits == 24) {
            for (size_t i = 0; i < signal.size(); ++i) {
                signal[i] += static_cast<int32_t>((i * 7919) % 251) << 8;  // fill the low byte
            }
        }
        WriteSoundFile(wav, SF_FORMAT_WAV | c.sndfileFormat, c.rate, 2, signal);
        const SoundFile original = ReadSoundFile(wav);

        Source source{FormatWav, wav, c.rate, 2};
        for (const int format : chain) {
            const std::string ext = OutputExtension(format);
            SCOPED_TRACE(OutputExtension(source.format) + " to " + ext);
            ASSERT_TRUE(FindOutputSettings(format)->storeSampleBits(ctx_->Settings, c.bits));
            const auto out =
                Convert({source}, format, dir_ / Format("%d-%s/", c.bits, ext.c_str()));
            ASSERT_EQ(out.size(), 1u);
            EXPECT_EQ(DecodeOutput(format, out[0]).samples, original.samples);
            source = {format, out[0], c.rate, 2};
        }
        EXPECT_EQ(ReadSoundFile(source.path).format, original.format);
    }
}

}  // namespace
}  // namespace tonquill::test
