#include "convert/DecoderFixtures.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <thread>

#include <sndfile.h>

#include "base/ProgramFolder.h"
#include "base/Tick.h"
#include "convert/wma/WmaComponent.h"
#include "support/TestSupport.h"

namespace tonquill::test {

std::vector<double> ChirpSignal(int rate, int channels, double seconds) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<double> out(frames * channels);
    // Phase of a linear sweep from f0 to f1 over the whole signal, at time t.
    const auto sweep = [seconds](double f0, double f1, double t) {
        return 2 * std::numbers::pi * (f0 * t + (f1 - f0) * t * t / (2 * seconds));
    };
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        out[i * channels] = 0.6 * std::sin(sweep(200.0, 4000.0, t));
        if (channels > 1) {
            out[i * channels + 1] = 0.3 * std::sin(sweep(3000.0, 300.0, t));
        }
    }
    return out;
}

void WriteMp3(const std::string& path, int rate, int channels, const std::vector<double>& signal) {
    WriteSoundFileDouble(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, rate, channels, signal,
                         true);
}

void WriteOgg(const std::string& path, int rate, int channels, const std::vector<double>& signal) {
    WriteSoundFileDouble(path, SF_FORMAT_OGG | SF_FORMAT_VORBIS, rate, channels, signal, true);
}

void WriteFlac(const std::string& path, int rate, int channels, const std::vector<double>& signal) {
    WriteSoundFileDouble(path, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, rate, channels, signal, true);
}

void WriteOpus(const std::string& path, int rate, int channels, const std::vector<double>& signal) {
    WriteSoundFileDouble(path, SF_FORMAT_OGG | SF_FORMAT_OPUS, rate, channels, signal, true);
}

void WriteWma(const std::string& path, int rate, int channels, const std::vector<double>& signal,
              int preset) {
    WmaComponent writer;
    writer.LoadPresets(ProgramFolder() + WmaPresetFileName);
    writer.SelectPreset(preset);
    writer.SetFormat(rate, channels);
    writer.CreateForWriting(path);
    std::vector<int16_t> pcm(signal.size());
    std::transform(signal.begin(), signal.end(), pcm.begin(),
                   [](double x) { return static_cast<int16_t>(std::lround(x * 32767.0)); });
    writer.WriteSamples(pcm.data(), pcm.size());
    writer.Close();
}

DecodeRun RunDecoder(PipelineContext& ctx, StageFunction decode, CConversionTask& task,
                     int timeoutMs) {
    DecodeRun run;
    ctx.DecodedRing.Reset();
    ctx.Running = 1;
    std::atomic<bool> finished{false};
    std::thread decoder([&] {
        try {
            run.result = decode(ctx, task);
        } catch (...) {
            run.threw = true;
        }
        finished = true;
    });

    std::vector<int32_t> chunk(65536);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const bool ended = finished.load();
        const uint32_t n = std::min<uint32_t>(ctx.DecodedRing.Available(), chunk.size());
        if (n > 0) {
            ctx.DecodedRing.Read(chunk.data(), n);
            run.samples.insert(run.samples.end(), chunk.begin(), chunk.begin() + n);
            continue;
        }
        if (ended) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            run.timedOut = true;
            ctx.Stop();
            break;
        }
        SleepMs(1);
    }
    decoder.join();
    ctx.Running = 0;
    return run;
}

Match Align(const std::vector<double>& source, const std::vector<int32_t>& decoded, int channels,
            int channel, int maxLag) {
    const auto src = [&](long i) { return source[i * channels + channel]; };
    const auto dec = [&](long i) { return decoded[i * channels + channel] / 2147483648.0; };
    const long srcFrames = static_cast<long>(source.size() / channels);
    const long decFrames = static_cast<long>(decoded.size() / channels);

    // Correlation of source frames [from, to) against decoded frames shifted by lag.
    const auto correlate = [&](long lag, long from, long to) {
        double sd = 0, ss = 0, dd = 0;
        for (long i = std::max(from, -lag); i < to && i + lag < decFrames; ++i) {
            const double a = src(i), b = dec(i + lag);
            sd += a * b;
            ss += a * a;
            dd += b * b;
        }
        return ss > 0 && dd > 0 ? sd / std::sqrt(ss * dd) : 0.0;
    };

    // Find the codec's delay on a short window, then judge the whole signal at that delay.
    const long windowStart = std::min<long>(maxLag, srcFrames / 4);
    const long windowEnd = std::min<long>(windowStart + 4096, srcFrames);
    Match best{0, -2.0};
    for (long lag = -maxLag; lag <= maxLag; ++lag) {
        const double c = correlate(lag, windowStart, windowEnd);
        if (c > best.correlation) {
            best = {static_cast<int>(lag), c};
        }
    }
    best.correlation = correlate(best.lag, 0, srcFrames);
    return best;
}

}  // namespace tonquill::test
