#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/wma/FfmpegHandles.h"
#include "convert/wma/WmaCodecModule.h"

namespace tonquill {

// One open WMA input: demuxes an ASF file, decodes its first WMA stream and converts the audio
// to interleaved 16-bit samples at the asked rate and channel count. Throws WmaError.
class WmaFileReader : public WmaInput {
public:
    explicit WmaFileReader(const std::string& path);
    ~WmaFileReader() override;
    WmaFileReader(const WmaFileReader&) = delete;
    WmaFileReader& operator=(const WmaFileReader&) = delete;

    // Up to frames frames at rate and channels; empty once the stream is exhausted. A damaged
    // packet is skipped; a file cut short ends the stream where it breaks off.
    std::vector<int16_t> Read(int frames, int rate, int channels) override;

    int Rate() const override { return codec_->sample_rate; }
    int Channels() const override { return codec_->ch_layout.nb_channels; }
    int64_t SampleCount() const override;
    int64_t DurationMs() const override;

private:
    // Decodes one more frame into pending_; false when the stream has ended.
    bool DecodeMore(int rate, int channels);
    bool ReceiveFrame();
    void Convert(const AVFrame* frame, int rate, int channels);
    void ConfigureResampler(const AVFrame* frame, int rate, int channels);

    AVFormatContext* format_ = nullptr;
    CodecContextPtr codec_;
    PacketPtr packet_;
    FramePtr frame_;
    ResamplerPtr resampler_;
    int streamIndex_ = -1;
    // What the resampler was set up for, to notice a change of either side.
    int inRate_ = 0, inChannels_ = 0, inFormat_ = -1, outRate_ = 0, outChannels_ = 0;
    std::vector<int16_t> pending_;
    size_t pendingPos_ = 0;
    bool inputEnded_ = false;  // every packet has gone to the decoder
    bool decoderEnded_ = false;
    bool finished_ = false;  // the resampler has given its tail too
};

}  // namespace tonquill
