#include <vector>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill {

namespace {

bool ReadAll(PipelineContext& ctx, CConversionTask& task, WmaComponent& reader) {
    constexpr int BlockFrames = 128;
    reader.SetFormat(task.SourceRate, task.SourceChannels);
    reader.OpenForReading(task.SourcePath);

    // The stages were set up for the facts the list read; a file changed since then must not be
    // resampled or remixed behind their back.
    if (reader.SampleRate() != task.SourceRate || reader.ChannelCount() != task.SourceChannels) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        return false;
    }

    const uint32_t blockSamples = static_cast<uint32_t>(task.SourceChannels * BlockFrames);
    std::vector<int32_t> block(blockSamples);
    while (WaitForRoom(ctx, ctx.DecodedRing, blockSamples)) {
        const std::vector<int16_t> samples = reader.ReadSamples(BlockFrames);
        if (samples.empty()) {
            break;
        }
        // The 16-bit value goes to the upper half, the lower half stays zero.
        for (size_t i = 0; i < samples.size(); ++i) {
            block[i] = static_cast<int32_t>(static_cast<uint32_t>(samples[i]) << 16);
        }
        // No yield per block: giving the processor away 40 000 times a minute of audio made
        // decoding wait on every other busy process; a full ring already makes it wait.
        ctx.DecodedRing.Write(block.data(), static_cast<uint32_t>(samples.size()));
    }
    return true;
}

}  // namespace

bool DecodeWma(PipelineContext& ctx, CConversionTask& task) {
    if (!ctx.WmaReader) {
        throw WmaError("the WMA component is not available");
    }
    WmaComponent& reader = *ctx.WmaReader;
    bool result = false;
    try {
        result = ReadAll(ctx, task, reader);
    } catch (...) {
        // The input is closed before the batch thread reports the failure.
        try {
            reader.Close();
        } catch (...) {
        }
        throw;
    }
    reader.Close();
    return result;
}

}  // namespace tonquill
