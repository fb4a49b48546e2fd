#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include <opus/opusenc.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"
#include "convert/SampleConvert.h"

namespace tonquill {
namespace {

struct CommentsDeleter {
    void operator()(OggOpusComments* comments) const { ope_comments_destroy(comments); }
};
struct EncoderDeleter {
    void operator()(OggOpusEnc* encoder) const { ope_encoder_destroy(encoder); }
};

}  // namespace

// The rate stage has already brought the audio to 48 kHz, Opus's own rate, so the encoder never
// resamples. Tags are added by the tag step, so the comment header stays empty here.
bool EncodeOpus(PipelineContext& ctx, CConversionTask& task) {
    const int kbps = ctx.Settings.OPUS.Bitrate;
    const int channels = task.TargetChannels;
    if (kbps < 6 || kbps > 510 || task.TargetRate != 48000 || channels < 1 || channels > 2) {
        ctx.FailTask(Format("Invalid Opus format: %d kbit/s, %d Hz, %d channels", kbps,
                            task.TargetRate, channels));
        return false;
    }
    std::unique_ptr<OggOpusComments, CommentsDeleter> comments(ope_comments_create());
    if (!comments) {
        ctx.FailTask("Error : out of memory");
        return false;
    }
    int error = OPE_OK;
    errno = 0;
    std::unique_ptr<OggOpusEnc, EncoderDeleter> encoder(ope_encoder_create_file(
        task.DestPath.c_str(), comments.get(), task.TargetRate, channels, 0, &error));
    if (!encoder) {
        if (error == OPE_CANNOT_OPEN) {
            ctx.FailTaskOnFile(Format("Error creating file %s", task.DestPath.c_str()),
                               task.DestPath, errno);
        } else {
            ctx.FailTask(Format("Invalid Opus format: %s", ope_strerror(error)));
        }
        return false;
    }
    if (ope_encoder_ctl(encoder.get(), OPUS_SET_BITRATE(kbps * 1000)) != OPE_OK) {
        ctx.FailTask(Format("Invalid Opus bitrate: %d kbit/s", kbps));
        return false;
    }

    const uint32_t chunk = static_cast<uint32_t>(channels) * 4096;
    std::vector<float> pcm(chunk);
    bool failed = false;
    bool wroteAudio = false;
    RunEncoderLoop(ctx, task, chunk, [&](const int32_t* samples, uint32_t n) {
        if (failed) {
            return;
        }
        wroteAudio = wroteAudio || n > 0;
        for (uint32_t i = 0; i < n; ++i) {
            pcm[i] = SampleToFloat(samples[i]);
        }
        const int frames = static_cast<int>(n / static_cast<uint32_t>(channels));
        if (ope_encoder_write_float(encoder.get(), pcm.data(), frames) != OPE_OK) {
            failed = true;
            ctx.PostOutputWriteError(task.DestPath, errno);
        }
    });

    // libopusenc 0.2 asserts (and ends the process) when an encoder that was given no audio is
    // drained. A task stopped before its first sample leaves an empty file, which the driver
    // removes; one that ran but found no sound gets a frame of silence, so it is a valid file.
    if (!wroteAudio) {
        if (!ctx.IsRunning()) {
            ReportProgress(ctx, task, true);
            return true;
        }
        std::fill(pcm.begin(), pcm.end(), 0.0f);
        ope_encoder_write_float(encoder.get(), pcm.data(), 1);
    }
    // Also after a stop, so a stopped task leaves a shorter, complete stream.
    errno = 0;
    if (ope_encoder_drain(encoder.get()) != OPE_OK && !failed) {
        ctx.PostOutputWriteError(task.DestPath, errno);
    }
    ReportProgress(ctx, task, true);
    return true;
}

}  // namespace tonquill
