#pragma once

#include <cstdint>
#include <vector>

#include "lame_enc/LameEncApi.h"

struct lame_global_struct;

namespace tonquill::lameenc {

// One MP3 encoding stream over libmp3lame: set up from the configuration record, fed with
// non-interleaved floats at the 16-bit scale, flushed once. The flush keeps the stream's final
// information frame, so it can be written into the file after the encoder itself is gone.
class LameStream {
public:
    LameStream() = default;
    ~LameStream();
    LameStream(const LameStream&) = delete;
    LameStream& operator=(const LameStream&) = delete;

    // Sets the encoder up; BeErrSuccessful or the reason the record was refused.
    BeErr Open(const LameConfig& config);
    uint32_t SamplesPerChunk() const { return samplesPerChunk_; }
    uint32_t OutputBufferSize() const { return outputBufferSize_; }

    BeErr Encode(uint32_t frames, const float* left, const float* right, uint8_t* output,
                 uint32_t* outputBytes);
    BeErr Flush(uint8_t* output, uint32_t* outputBytes);
    // Releases the encoder; the information frame taken at the flush stays.
    void Close();

    bool Flushed() const { return flushed_; }
    const std::vector<uint8_t>& InfoFrame() const { return infoFrame_; }

private:
    lame_global_struct* lame_ = nullptr;
    int channels_ = 0;
    uint32_t samplesPerChunk_ = 0;
    uint32_t outputBufferSize_ = 0;
    bool flushed_ = false;
    std::vector<uint8_t> infoFrame_;
};

}  // namespace tonquill::lameenc
