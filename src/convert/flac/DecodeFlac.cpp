#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <FLAC/stream_decoder.h>

#include "base/Format.h"
#include "convert/Codecs.h"

namespace tonquill {
namespace {

// What the libFLAC callbacks share while one source is read.
struct FlacReadState {
    PipelineContext* ctx;
    CConversionTask* task;
    std::vector<int32_t> samples;
    bool stopped = false;
    bool layoutChanged = false;
    FLAC__StreamDecoderErrorStatus error = FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC;
    bool hadError = false;
};

// Hands one decoded frame on, scaled to full 32-bit range, in pieces the ring takes. Shifting
// only moves the bits up, so the audio stays bit-exact for any output of the source's width.
FLAC__StreamDecoderWriteStatus WriteFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                          const FLAC__int32* const buffer[], void* data) {
    constexpr uint32_t PieceFrames = 4096;
    auto& state = *static_cast<FlacReadState*>(data);
    const int channels = state.task->SourceChannels;
    const unsigned bits = frame->header.bits_per_sample;
    if (static_cast<int>(frame->header.channels) != channels ||
        static_cast<int>(frame->header.sample_rate) != state.task->SourceRate || bits < 4 ||
        bits > 32) {
        state.layoutChanged = true;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const unsigned shift = 32 - bits;
    const uint32_t total = frame->header.blocksize;
    for (uint32_t start = 0; start < total; start += PieceFrames) {
        const uint32_t frames = std::min(PieceFrames, total - start);
        const uint32_t n = frames * static_cast<uint32_t>(channels);
        if (!WaitForRoom(*state.ctx, state.ctx->DecodedRing, n)) {
            state.stopped = true;
            return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
        }
        int32_t* out = state.samples.data();
        for (uint32_t i = start; i < start + frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                *out++ = static_cast<int32_t>(static_cast<uint32_t>(buffer[c][i]) << shift);
            }
        }
        state.ctx->DecodedRing.Write(state.samples.data(), n);
    }
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void NoteError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* data) {
    auto& state = *static_cast<FlacReadState*>(data);
    if (!state.hadError) {
        state.error = status;
        state.hadError = true;
    }
}

const char* ErrorText(FLAC__StreamDecoderErrorStatus status) {
    switch (status) {
        case FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC:
            return "lost sync";
        case FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER:
            return "bad frame header";
        case FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH:
            return "frame checksum mismatch";
        default:
            return "unreadable stream";
    }
}

// Ogg FLAC (an .oga file) and native FLAC open differently; the first bytes tell which.
bool IsOggStream(const std::string& path) {
    char magic[4] = {};
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    const bool ogg = std::fread(magic, 1, 4, file) == 4 && std::memcmp(magic, "OggS", 4) == 0;
    std::fclose(file);
    return ogg;
}

}  // namespace

bool DecodeFlac(PipelineContext& ctx, CConversionTask& task) {
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    if (!decoder) {
        ctx.PostLog("Error : out of memory", LogLevel::Error);
        return false;
    }
    FlacReadState state{&ctx, &task, {}};
    FLAC__stream_decoder_set_md5_checking(decoder, true);
    const auto init = IsOggStream(task.SourcePath) ? FLAC__stream_decoder_init_ogg_file
                                                   : FLAC__stream_decoder_init_file;
    if (init(decoder, task.SourcePath.c_str(), WriteFrame, nullptr, NoteError, &state) !=
        FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        ctx.PostLog(Format("Error : could not open file : %s", task.SourcePath.c_str()),
                    LogLevel::Error);
        FLAC__stream_decoder_delete(decoder);
        return false;
    }
    if (task.SourceChannels > 8) {
        state.layoutChanged = true;
    }
    state.samples.resize(static_cast<size_t>(4096) * std::max(task.SourceChannels, 1));

    bool result = !state.layoutChanged && FLAC__stream_decoder_process_until_end_of_stream(decoder);
    if (state.stopped) {
        FLAC__stream_decoder_delete(decoder);
        return true;
    }
    if (state.layoutChanged) {
        ctx.PostLog(Format("Error : the format of %s has changed since it was added",
                           task.SourcePath.c_str()),
                    LogLevel::Error);
        result = false;
    } else if (!result) {
        ctx.PostLog(Format("Error : %s could not be decoded (%s)", task.SourcePath.c_str(),
                           FLAC__stream_decoder_get_resolved_state_string(decoder)),
                    LogLevel::Error);
    } else {
        if (state.hadError) {
            ctx.PostLog(Format("Warning : %s is damaged (%s): audio was lost, decoding went on",
                               task.SourcePath.c_str(), ErrorText(state.error)),
                        LogLevel::Warning);
        }
        // finish() compares the audio with the MD5 the encoder stored.
        if (!FLAC__stream_decoder_finish(decoder)) {
            ctx.PostLog(Format("Warning : the audio of %s does not match its MD5 signature",
                               task.SourcePath.c_str()),
                        LogLevel::Warning);
        }
    }
    FLAC__stream_decoder_delete(decoder);
    return result;
}

}  // namespace tonquill
