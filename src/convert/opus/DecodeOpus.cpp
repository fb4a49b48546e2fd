#include <vector>

#include <opus/opusfile.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/DecodedLength.h"
#include "convert/SampleConvert.h"
#include "convert/ogg/OggCutOff.h"

namespace tonquill {

// libopusfile always decodes at 48 kHz, drops the stream's pre-skip at the start and applies
// the header's output gain, so what reaches the ring is the audio as the encoder was given it.
bool DecodeOpus(PipelineContext& ctx, CConversionTask& task) {
    constexpr int BlockFrames = 960 * 4;  // four 20 ms packets
    const int channels = task.SourceChannels;
    if (channels <= 0 || channels > 8) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        return false;
    }
    const uint32_t blockSamples = static_cast<uint32_t>(channels * BlockFrames);
    std::vector<float> pcm(blockSamples);
    std::vector<int32_t> samples(blockSamples);

    int error = 0;
    OggOpusFile* file = op_open_file(task.SourcePath.c_str(), &error);
    if (!file) {
        ctx.PostLog(Format("Error : could not open file : %s", task.SourcePath.c_str()),
                    LogLevel::Error);
        return false;
    }
    bool result = true;
    const OpusHead* head = op_head(file, -1);
    if (!head || head->channel_count != channels || task.SourceRate != 48000) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        result = false;
    }

    uint64_t framesDone = 0;
    bool inHole = false;
    while (result && WaitForRoom(ctx, ctx.DecodedRing, blockSamples)) {
        int link = 0;
        const int frames = op_read_float(file, pcm.data(), static_cast<int>(blockSamples), &link);
        if (frames == OP_HOLE) {
            if (!inHole) {
                ctx.PostLog(
                    Format("Warning : %s has a gap at %s: audio was lost there, "
                           "decoding goes on",
                           task.SourcePath.c_str(), PositionText(framesDone, 48000).c_str()),
                    LogLevel::Warning);
            }
            inHole = true;
            continue;
        }
        if (frames < 0) {
            ctx.PostLog(Format("Fatal read error: %d", frames), LogLevel::Error);
            result = false;
            break;
        }
        if (frames == 0) {
            break;
        }
        inHole = false;
        if (op_channel_count(file, link) != channels) {
            ctx.PostLog(Format("Error : %s changes its channel count partway (a chained "
                               "stream) and cannot be converted as one file",
                               task.SourcePath.c_str()),
                        LogLevel::Error);
            result = false;
            break;
        }
        framesDone += static_cast<uint64_t>(frames);
        const size_t n = static_cast<size_t>(frames) * channels;
        for (size_t i = 0; i < n; ++i) {
            samples[i] = FloatToSample(pcm[i]);
        }
        ctx.DecodedRing.Write(samples.data(), static_cast<uint32_t>(n));
    }
    op_free(file);
    if (result && ctx.IsRunning()) {
        ReportCutOffOggStream(ctx, task.SourcePath, framesDone, 48000);
    }
    return result;
}

}  // namespace tonquill
