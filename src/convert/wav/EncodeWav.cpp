#include <cerrno>

#include <sndfile.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"

namespace tonquill {

bool EncodeWav(PipelineContext& ctx, CConversionTask& task) {
    SF_INFO info{};
    info.samplerate = task.TargetRate;
    info.channels = task.TargetChannels;
    const int subFormat = ctx.Settings.WAV.SubFormat;
    info.format = SF_FORMAT_WAV | (subFormat == 0   ? SF_FORMAT_PCM_U8
                                   : subFormat == 2 ? SF_FORMAT_PCM_24
                                                    : SF_FORMAT_PCM_16);
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
