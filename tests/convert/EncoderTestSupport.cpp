#include "EncoderTestSupport.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include <mpg123.h>

#include "base/ProgramFolder.h"
#include "convert/PipelineThreads.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill::test {

std::vector<int32_t> ToneSignal(size_t frames, int channels, int rate) {
    static constexpr double Frequencies[] = {440.0, 1000.0, 2500.0, 330.0};
    std::vector<int32_t> out(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const double f = Frequencies[c % 4];
            out[i * channels + c] = static_cast<int32_t>(
                0.4 * 2147483647.0 * std::sin(2.0 * M_PI * f * static_cast<double>(i) / rate));
        }
    }
    return out;
}

namespace {

DecodedAudio DecodeMp3(const std::string& path) {
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) {
        throw std::runtime_error("mpg123_new failed");
    }
    DecodedAudio out;
    if (mpg123_open_fixed(mh, path.c_str(), MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
        MPG123_OK) {
        mpg123_delete(mh);
        throw std::runtime_error("cannot open MP3 " + path);
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    mpg123_getformat(mh, &rate, &channels, &encoding);
    out.rate = static_cast<int>(rate);
    out.channels = channels;
    std::vector<int16_t> block(8192);
    for (;;) {
        size_t done = 0;
        const int err = mpg123_read(mh, block.data(), block.size() * 2, &done);
        for (size_t i = 0; i < done / 2; ++i) {
            out.samples.push_back(static_cast<int32_t>(block[i]) * 65536);
        }
        if (err == MPG123_NEW_FORMAT) {
            mpg123_getformat(mh, &rate, &channels, &encoding);
            continue;
        }
        if (err != MPG123_OK) {
            break;
        }
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    return out;
}

DecodedAudio DecodeWma(const std::string& path) {
    WmaComponent reader;
    // The file's own format, so nothing is resampled on the way out.
    reader.OpenForReading(path);
    DecodedAudio out;
    out.rate = reader.SampleRate();
    out.channels = reader.ChannelCount();
    reader.SetFormat(out.rate, out.channels);
    for (;;) {
        const std::vector<int16_t> block = reader.ReadSamples(4096);
        if (block.empty()) {
            break;
        }
        for (int16_t s : block) {
            out.samples.push_back(static_cast<int32_t>(s) * 65536);
        }
    }
    reader.Close();
    return out;
}

}  // namespace

DecodedAudio DecodeOutput(int format, const std::string& path) {
    switch (format) {
        case FormatMp3:
            return DecodeMp3(path);
        case FormatWma:
            return DecodeWma(path);
        default: {
            SoundFile f = ReadSoundFile(path);
            return {f.rate, f.channels, std::move(f.samples)};
        }
    }
}

int64_t Mp3HeaderLength(const std::string& path) {
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    if (!mh) {
        return -1;
    }
    int64_t length = -1;
    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        length = mpg123_length(mh);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return length;
}

double MatchSnrDb(const std::vector<int32_t>& ref, const std::vector<int32_t>& got, int channels,
                  int maxLag, int* lag) {
    const size_t refFrames = ref.size() / channels;
    const size_t gotFrames = got.size() / channels;
    auto errorAt = [&](int l, size_t from, size_t to) {
        double signal = 0.0;
        double noise = 0.0;
        for (size_t i = from; i < to && i + l < gotFrames; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double r = ref[i * channels + c];
                const double g = got[(i + l) * channels + c];
                signal += r * r;
                noise += (r - g) * (r - g);
            }
        }
        return std::pair{signal, noise};
    };
    // The lag is found on a window in the middle, then the whole overlap is compared.
    const size_t windowStart = refFrames / 2;
    const size_t windowEnd = std::min(refFrames, windowStart + 2048);
    int best = 0;
    double bestNoise = -1.0;
    for (int l = 0; l <= maxLag; ++l) {
        const double noise = errorAt(l, windowStart, windowEnd).second;
        if (bestNoise < 0 || noise < bestNoise) {
            bestNoise = noise;
            best = l;
        }
    }
    if (lag) {
        *lag = best;
    }
    const size_t frames =
        std::min(refFrames, gotFrames > static_cast<size_t>(best) ? gotFrames - best : 0);
    const auto [signal, noise] = errorAt(best, 0, frames);
    return noise > 0 ? 10.0 * std::log10(signal / noise) : 200.0;
}

EncoderHarness::EncoderHarness(int format, int rate, int channels, const std::string& destPath)
    : ctx(std::make_unique<PipelineContext>(observer)) {
    task.OutputType = format;
    task.TargetRate = rate;
    task.TargetChannels = channels;
    task.SourceRate = rate;
    task.SourceChannels = channels;
    task.DestPath = destPath;
    task.EncoderInput = &ctx->DecodedRing;
    ctx->Running = 1;
    if (format == FormatWma) {
        CreateWmaComponents(*ctx, observer);
        LoadWmaPresetFile(*ctx, ProgramFolder(), observer);
        ctx->WmaWriter->SelectPreset(ctx->Settings.WMA.Profile);
    }
}

void EncoderHarness::FeedMore(const std::vector<int32_t>& samples) {
    if (ctx->DecodedRing.Write(samples.data(), static_cast<uint32_t>(samples.size())) !=
        samples.size()) {
        throw std::runtime_error("the test signal does not fit into the ring");
    }
}

void EncoderHarness::Feed(const std::vector<int32_t>& samples, bool producing) {
    FeedMore(samples);
    task.EstimatedSamples += samples.size();
    ctx->OverallSamplesTotal += samples.size();
    task.DecoderRunning = producing ? 1 : 0;
}

void EncoderHarness::RunEncoderThread() {
    EncoderThreadMain(*ctx, task);
}

bool EncoderHarness::HasLine(const std::string& text) const {
    for (const auto& line : observer.lines()) {
        if (line.text == text) {
            return true;
        }
    }
    return false;
}

}  // namespace tonquill::test
