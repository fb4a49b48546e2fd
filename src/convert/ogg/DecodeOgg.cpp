#include <cstdio>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/DecodedLength.h"
#include "convert/SampleConvert.h"
#include "convert/ogg/OggCutOff.h"

namespace tonquill {

namespace {

// The stream callbacks of libvorbisfile over our own FILE: the decoder closes the file itself,
// and seeks are 64-bit so files beyond 2 GiB work.
size_t ReadStream(void* buffer, size_t size, size_t count, void* source) {
    return std::fread(buffer, size, count, static_cast<FILE*>(source));
}

int SeekStream(void* source, ogg_int64_t offset, int whence) {
    if (!source) {
        return -1;
    }
    return fseeko(static_cast<FILE*>(source), static_cast<off_t>(offset), whence);
}

long TellStream(void* source) {
    return static_cast<long>(ftello(static_cast<FILE*>(source)));
}

constexpr ov_callbacks StreamCallbacks = {ReadStream, SeekStream, nullptr, TellStream};

}  // namespace

bool DecodeOgg(PipelineContext& ctx, CConversionTask& task) {
    constexpr int BlockFrames = 512;
    const int channels = task.SourceChannels;
    const uint32_t blockSamples = static_cast<uint32_t>(channels * BlockFrames);
    std::vector<int32_t> samples(blockSamples);

    FILE* stream = std::fopen(task.SourcePath.c_str(), "rb");
    if (!stream) {
        ctx.PostLog(Format("Error : could not open file : %s", task.SourcePath.c_str()),
                    LogLevel::Error);
        return false;
    }
    OggVorbis_File vf{};
    if (ov_open_callbacks(stream, &vf, nullptr, 0, StreamCallbacks) < 0) {
        ctx.PostLog("Invalid ogg vorbis stream", LogLevel::Error);
        ov_clear(&vf);
        std::fclose(stream);
        return false;
    }

    bool result = true;
    // The stages were set up for the facts the list read; a file changed since then must not
    // be read with another layout.
    const vorbis_info* info = ov_info(&vf, -1);
    if (!info || info->channels != channels || info->rate != task.SourceRate) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        result = false;
    }

    int link = 0;
    uint64_t framesDone = 0;
    bool inHole = false;
    while (result && WaitForRoom(ctx, ctx.DecodedRing, blockSamples)) {
        float** pcm = nullptr;
        const long frames = ov_read_float(&vf, &pcm, BlockFrames, &link);
        if (frames == OV_HOLE) {
            // Data was lost here (damage, a cut in the stream); the library has stepped over it
            // and the rest of the file is still good. One line per gap, however many pages
            // it spans.
            if (!inHole) {
                ctx.PostLog(Format("Warning : %s has a gap at %s: audio was lost there, "
                                   "decoding goes on",
                                   task.SourcePath.c_str(),
                                   PositionText(framesDone, task.SourceRate).c_str()),
                            LogLevel::Warning);
            }
            inHole = true;
            continue;
        }
        if (frames < 0) {
            ctx.PostLog(Format("Fatal read error: %d", static_cast<int>(frames)), LogLevel::Error);
            result = false;
            break;
        }
        if (frames == 0) {
            break;
        }
        inHole = false;
        framesDone += static_cast<uint64_t>(frames);
        const vorbis_info* linkInfo = ov_info(&vf, link);
        if (!linkInfo || linkInfo->channels != channels || linkInfo->rate != task.SourceRate) {
            // A later part of a chained file with another layout: the file itself is as it was
            // listed, so say what is wrong with it rather than that it changed.
            ctx.PostLog(Format("Error : %s changes its sample rate or channel count partway (a "
                               "chained stream) and cannot be converted as one file",
                               task.SourcePath.c_str()),
                        LogLevel::Error);
            result = false;
            break;
        }
        int32_t* out = samples.data();
        for (long i = 0; i < frames; ++i) {
            for (int j = 0; j < channels; ++j) {
                *out++ = FloatToSample(pcm[j][i]);
            }
        }
        ctx.DecodedRing.Write(samples.data(), static_cast<uint32_t>(frames * channels));
    }
    ov_clear(&vf);
    std::fclose(stream);
    if (result && ctx.IsRunning()) {
        ReportCutOffOggStream(ctx, task.SourcePath, framesDone, task.SourceRate);
    }
    return result;
}

}  // namespace tonquill
