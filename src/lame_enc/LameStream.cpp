#include "lame_enc/LameStream.h"

#include <climits>
#include <cstdarg>

#include <lame/lame.h>

namespace tonquill::lameenc {
namespace {

// The library reports through result codes; libmp3lame's own messages would only reach a
// terminal nobody watches.
void Silent(const char*, va_list) {}

// The largest MPEG audio layer III frame (MPEG-2.5 at 8 kHz, 160 kbit/s, padded).
constexpr size_t MaxFrameBytes = 2881;

// The algorithm quality when the quality word carries it (high byte = 255 - low byte).
bool QualityFromWord(uint16_t word, int* quality) {
    const int low = word & 0xFF;
    const int high = word >> 8;
    if (high != 255 - low) {
        return false;
    }
    *quality = low;
    return true;
}

}  // namespace

LameStream::~LameStream() {
    Close();
}

BeErr LameStream::Open(const LameConfig& config) {
    if (config.ConfigKind != BeConfigLame) {
        return BeErrInvalidFormat;
    }
    if (config.StructVersion < CurrentStructVersion || config.StructSize < ConfigRecordSize ||
        config.Mode < ModeStereo || config.Mode > ModeMono || config.SampleRate == 0 ||
        config.SampleRate > INT_MAX || config.Bitrate > INT_MAX) {
        return BeErrInvalidFormatParameters;
    }
    lame_ = lame_init();
    if (!lame_) {
        return BeErrNoMoreHandles;
    }
    lame_set_errorf(lame_, Silent);
    lame_set_debugf(lame_, Silent);
    lame_set_msgf(lame_, Silent);

    channels_ = config.Mode == ModeMono ? 1 : 2;
    lame_set_num_channels(lame_, channels_);
    lame_set_in_samplerate(lame_, static_cast<int>(config.SampleRate));
    // The pipeline has already brought the audio to the rate that was asked for, so "0" keeps
    // it rather than letting the encoder pick a lower rate for a low bitrate.
    lame_set_out_samplerate(
        lame_, static_cast<int>(config.ReSampleRate ? config.ReSampleRate : config.SampleRate));
    lame_set_mode(lame_, static_cast<MPEG_mode>(config.Mode));
    lame_set_VBR(lame_, vbr_off);
    if (config.Bitrate) {
        lame_set_brate(lame_, static_cast<int>(config.Bitrate));
    }
    int quality = 0;
    if (QualityFromWord(config.Quality, &quality)) {
        lame_set_quality(lame_, quality);
    }
    lame_set_emphasis(lame_, static_cast<int>(config.Emphasis));
    lame_set_extension(lame_, config.Private ? 1 : 0);
    lame_set_error_protection(lame_, config.Crc ? 1 : 0);
    lame_set_copyright(lame_, config.Copyright ? 1 : 0);
    lame_set_original(lame_, config.Original ? 1 : 0);
    lame_set_strict_ISO(lame_, config.StrictIso ? 1 : 0);
    lame_set_disable_reservoir(lame_, config.NoBitReservoir ? 1 : 0);
    // The first frame is a placeholder that the information frame replaces at the end.
    lame_set_bWriteVbrTag(lame_, config.WriteVbrHeader ? 1 : 0);
    // Tags are written by whoever owns the file, after encoding.
    lame_set_write_id3tag_automatic(lame_, 0);

    if (lame_init_params(lame_) < 0) {
        Close();
        return BeErrInvalidFormatParameters;
    }
    const int frameSize = lame_get_framesize(lame_);
    samplesPerChunk_ = static_cast<uint32_t>(frameSize * channels_);
    // libmp3lame's worst case for one call of frameSize frames; the flush needs at most 7200.
    outputBufferSize_ = static_cast<uint32_t>(frameSize + frameSize / 4 + 7200);
    return BeErrSuccessful;
}

BeErr LameStream::Encode(uint32_t frames, const float* left, const float* right, uint8_t* output,
                         uint32_t* outputBytes) {
    if (!lame_ || flushed_) {
        return BeErrInvalidHandle;
    }
    if (!left || !output || !outputBytes || (channels_ == 2 && !right) ||
        frames > samplesPerChunk_ / static_cast<uint32_t>(channels_)) {
        return BeErrInvalidFormatParameters;
    }
    *outputBytes = 0;
    // libmp3lame reads only the left channel of a mono stream.
    const int written = lame_encode_buffer_float(lame_, left, channels_ == 2 ? right : left,
                                                 static_cast<int>(frames), output,
                                                 static_cast<int>(outputBufferSize_));
    if (written == -1) {
        return BeErrBufferTooSmall;
    }
    if (written < 0) {
        return BeErrInvalidFormat;
    }
    *outputBytes = static_cast<uint32_t>(written);
    return BeErrSuccessful;
}

BeErr LameStream::Flush(uint8_t* output, uint32_t* outputBytes) {
    if (!lame_ || flushed_) {
        return BeErrInvalidHandle;
    }
    if (!output || !outputBytes) {
        return BeErrInvalidFormatParameters;
    }
    *outputBytes = 0;
    const int written = lame_encode_flush(lame_, output, static_cast<int>(outputBufferSize_));
    if (written == -1) {
        return BeErrBufferTooSmall;
    }
    if (written < 0) {
        return BeErrInvalidFormat;
    }
    *outputBytes = static_cast<uint32_t>(written);
    flushed_ = true;

    // The information frame is complete only now that every frame has been counted.
    infoFrame_.resize(MaxFrameBytes);
    const size_t size = lame_get_lametag_frame(lame_, infoFrame_.data(), infoFrame_.size());
    infoFrame_.resize(size <= MaxFrameBytes ? size : 0);
    return BeErrSuccessful;
}

void LameStream::Close() {
    if (lame_) {
        lame_close(lame_);
        lame_ = nullptr;
    }
}

}  // namespace tonquill::lameenc
