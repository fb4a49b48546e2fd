#include "convert/SoundFileStages.h"

#include <cerrno>
#include <vector>

#include <sndfile.h>

#include "base/Format.h"
#include "convert/EncoderLoop.h"
#include "convert/SampleConvert.h"

namespace tonquill {

bool DecodeSoundFile(PipelineContext& ctx, CConversionTask& task, uint64_t headerFrames) {
    constexpr sf_count_t BlockFrames = 4096;

    SF_INFO info{};
    SNDFILE* file = sf_open(task.SourcePath.c_str(), SFM_READ, &info);
    if (!file) {
        ctx.PostLog(Format("Error : could not open file : %s", task.SourcePath.c_str()),
                    LogLevel::Error);
        return false;
    }
    // The stages were set up for the channel count the list read; a file changed since then
    // must not be read with another one.
    if (info.channels != task.SourceChannels) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        sf_close(file);
        return false;
    }

    const int channels = task.SourceChannels;
    task.HeaderSamples = headerFrames * static_cast<uint64_t>(channels);
    const uint32_t blockSamples = static_cast<uint32_t>(channels * BlockFrames);
    std::vector<int32_t> samples(blockSamples);
    std::vector<double> floats;

    const int subtype = info.format & SF_FORMAT_SUBMASK;
    const bool isFloat = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    double peak = 0.0;
    if (isFloat) {
        floats.resize(blockSamples);
        double signalMax = 0.0;
        sf_command(file, SFC_CALC_SIGNAL_MAX, &signalMax, sizeof(signalMax));
        // A file that goes beyond full scale is scaled down by its peak instead of clipping.
        if (signalMax >= 1.0) {
            sf_command(file, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
            peak = signalMax;
        }
    }

    while (WaitForRoom(ctx, ctx.DecodedRing, blockSamples)) {
        sf_count_t frames = 0;
        if (isFloat) {
            frames = sf_readf_double(file, floats.data(), BlockFrames);
            const size_t n = static_cast<size_t>(frames) * channels;
            for (size_t i = 0; i < n; ++i) {
                samples[i] = FloatToSample(peak > 0 ? floats[i] / peak : floats[i]);
            }
        } else {
            frames = sf_readf_int(file, samples.data(), BlockFrames);
        }
        if (frames > 0) {
            ctx.DecodedRing.Write(samples.data(), static_cast<uint32_t>(frames * channels));
        }
        if (frames < BlockFrames) {
            break;
        }
    }
    sf_close(file);
    return true;
}

bool EncodeSoundFile(PipelineContext& ctx, CConversionTask& task, int fileFormat) {
    SF_INFO info{};
    info.samplerate = task.TargetRate;
    info.channels = task.TargetChannels;
    info.format = fileFormat;
    if (!sf_format_check(&info)) {
        ctx.FailTask("Invalid format!");
        return false;
    }
    errno = 0;
    SNDFILE* file = sf_open(task.DestPath.c_str(), SFM_WRITE, &info);
    if (!file) {
        ctx.FailTaskOnFile(Format("Error : could not open file : %s", task.DestPath.c_str()),
                           task.DestPath, errno);
        return false;
    }

    // libsndfile scales the 32-bit samples to the file's width by dropping the low bits, so a
    // source of the output's width comes out bit-exact.
    const uint32_t chunk = static_cast<uint32_t>(task.TargetChannels) * 4096;
    RunEncoderLoop(ctx, task, chunk, [&](const int32_t* samples, uint32_t n) {
        if (ctx.OutputWriteFailed()) {
            return;  // told once
        }
        errno = 0;
        if (sf_write_int(file, samples, n) != static_cast<sf_count_t>(n)) {
            ctx.PostOutputWriteError(task.DestPath, errno);
        }
    });

    errno = 0;
    if (sf_close(file) != 0 && !ctx.OutputWriteFailed()) {
        ctx.PostOutputWriteError(task.DestPath, errno);
    }
    ReportProgress(ctx, task, true);
    return true;
}

}  // namespace tonquill
