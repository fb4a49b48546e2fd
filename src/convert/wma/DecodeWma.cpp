#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "base/Format.h"
#include "base/LittleEndian.h"
#include "convert/Codecs.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill {

namespace {

// The frames the file properties of an ASF header promise: the play duration (in 100 ns units)
// less the preroll (in milliseconds). The reader measures a file by the packets it finds, so a
// file cut off looks merely short; 0 when the header says nothing.
uint64_t AsfHeaderFrames(const std::string& path, int rate) {
    static const unsigned char FileProperties[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9,
                                                     0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0,
                                                     0x0C, 0x20, 0x53, 0x65};
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(64 * 1024);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    const auto at = std::search(head.begin(), head.end(), FileProperties, FileProperties + 16);
    if (at == head.end() || head.end() - at < 88 || rate <= 0) {
        return 0;
    }
    const unsigned char* object = &*at;
    const uint64_t playMs = Le64(object + 64) / 10000;
    const uint64_t prerollMs = Le64(object + 80);
    if (playMs <= prerollMs || playMs > 1000ull * 3600 * 24 * 365) {
        return 0;
    }
    return (playMs - prerollMs) * static_cast<uint64_t>(rate) / 1000;
}

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

    task.HeaderSamples = AsfHeaderFrames(task.SourcePath, task.SourceRate) *
                         static_cast<uint64_t>(task.SourceChannels);
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
