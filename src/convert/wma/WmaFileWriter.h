#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "convert/wma/FfmpegHandles.h"
#include "convert/wma/WmaCodecModule.h"
#include "convert/wma/WmaPresetList.h"

namespace tonquill {

// One WMA output: takes interleaved 16-bit samples at the input rate and channel count,
// resamples them to the preset's and writes an ASF file with a wmav2 stream. Throws WmaError.
class WmaFileWriter : public WmaOutput {
public:
    WmaFileWriter(const std::string& path, const WmaPreset& preset, int inputRate,
                  int inputChannels);
    // Finishes the file when Finish was not called (errors are then swallowed).
    ~WmaFileWriter() override;
    WmaFileWriter(const WmaFileWriter&) = delete;
    WmaFileWriter& operator=(const WmaFileWriter&) = delete;

    void Write(const int16_t* samples, size_t count) override;
    // Encodes what is left, writes the file's index and closes it.
    void Finish() override;

private:
    // Queues one frame of silence for the encoder.
    void AppendSilence();
    void Resample(const uint8_t* input, int frames);
    void EncodeFrames(bool final);
    void Send(AVFrame* frame);
    void Release();

    AVFormatContext* format_ = nullptr;
    AVStream* stream_ = nullptr;
    CodecContextPtr codec_;
    ResamplerPtr resampler_;
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    int inputChannels_ = 0;
    int frameSize_ = 0;
    int64_t nextPts_ = 0;
    bool headerWritten_ = false;
    bool finished_ = false;
};

}  // namespace tonquill
