#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
}

namespace tonquill {

// Owners of FFmpeg's objects, each freed with the library's own function.
struct CodecContextFree {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameFree {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerFree {
    void operator()(SwrContext* p) const { swr_free(&p); }
};
struct AudioFifoFree {
    void operator()(AVAudioFifo* p) const { av_audio_fifo_free(p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerFree>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFree>;

// FFmpeg's text for an error code.
std::string FfmpegErrorText(int code);

// Silences FFmpeg's own console messages once per process: the component reports its failures
// through exceptions, and a corrupt file would otherwise fill the terminal.
void QuietFfmpegLog();

}  // namespace tonquill
