#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "convert/wma/WmaPresetList.h"

namespace tonquill {

// The lowest bitrate FFmpeg's wmav2 encoder accepts ("bitrate too low" below it). Presets that
// name less are encoded at this rate so they still give a playable file.
inline constexpr int WmaMinimumBitrate = 24000;

// The most channels the component converts between (libswresample's limit).
inline constexpr int WmaMaxPcmChannels = 64;

// The bitrate a preset is encoded with.
inline int WmaEncodingBitrate(const WmaPreset& preset) {
    return preset.bitrate > WmaMinimumBitrate ? preset.bitrate : WmaMinimumBitrate;
}

// The FFmpeg side of the WMA component lives in a module of its own beside the programs
// (wma_component.so), loaded on the first WMA file: FFmpeg and the hundred libraries it pulls in
// then cost nothing to a run that never meets one. These are the module's two objects; every
// failure throws WmaError.

// One WMA input, decoded to interleaved 16-bit samples at the asked rate and channel count.
class WmaInput {
public:
    virtual ~WmaInput() = default;
    // Up to frames frames; empty at the end.
    virtual std::vector<int16_t> Read(int frames, int rate, int channels) = 0;
    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    virtual int64_t SampleCount() const = 0;  // per channel; 0 when unknown
    virtual int64_t DurationMs() const = 0;   // 0 when unknown
};

// One WMA output with a preset, taking interleaved 16-bit samples at its input format.
class WmaOutput {
public:
    virtual ~WmaOutput() = default;
    virtual void Write(const int16_t* samples, size_t count) = 0;
    // Encodes what is left, writes the file's index and closes it.
    virtual void Finish() = 0;
};

// What the module hands out. The version changes whenever this record or the classes above do,
// so a module of another build is refused rather than called wrongly.
struct WmaCodecEntryPoints {
    uint32_t version;
    // Throws when this FFmpeg lacks the ASF container or the WMA codecs.
    void (*checkSupport)();
    std::unique_ptr<WmaInput> (*openInput)(const std::string& path);
    std::unique_ptr<WmaOutput> (*createOutput)(const std::string& path, const WmaPreset& preset,
                                               int inputRate, int inputChannels);
};

inline constexpr uint32_t WmaCodecModuleVersion = 1;
inline constexpr const char* WmaCodecModuleFileName = "wma_component.so";
inline constexpr const char* WmaCodecEntrySymbol = "tonquill_wma_codec_entry_points";

// The module beside the program, loaded once per process on the first call. Throws WmaError
// naming the module and the reason when it is missing, broken or of another build.
const WmaCodecEntryPoints& WmaCodecModule();

}  // namespace tonquill
