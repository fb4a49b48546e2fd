#include "convert/wma/WmaFileReader.h"

#include <algorithm>

#include "convert/wma/WmaComponent.h"

namespace tonquill {

namespace {

bool IsWmaCodec(AVCodecID id) {
    return id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2 || id == AV_CODEC_ID_WMAPRO ||
           id == AV_CODEC_ID_WMALOSSLESS || id == AV_CODEC_ID_WMAVOICE;
}

// A layout swresample can mix from: files that name no channel order get the usual one.
AVChannelLayout UsableLayout(const AVChannelLayout& layout) {
    AVChannelLayout result{};
    if (layout.order == AV_CHANNEL_ORDER_NATIVE && layout.nb_channels > 0) {
        av_channel_layout_copy(&result, &layout);
    } else {
        av_channel_layout_default(&result, layout.nb_channels);
    }
    return result;
}

}  // namespace

WmaFileReader::WmaFileReader(const std::string& path) {
    QuietFfmpegLog();
    // Only the ASF container is read: a file of another kind named .wma is refused, not decoded
    // by whatever demuxer happens to recognise it.
    const AVInputFormat* asf = av_find_input_format("asf");
    if (!asf) {
        throw WmaError("this FFmpeg cannot read ASF files");
    }
    int rc = avformat_open_input(&format_, path.c_str(), asf, nullptr);
    if (rc < 0) {
        format_ = nullptr;
        throw WmaError("cannot open " + path + ": " + FfmpegErrorText(rc));
    }
    try {
        rc = avformat_find_stream_info(format_, nullptr);
        if (rc < 0) {
            throw WmaError("cannot read the streams of " + path + ": " + FfmpegErrorText(rc));
        }
        for (unsigned i = 0; i < format_->nb_streams; ++i) {
            const AVCodecParameters* par = format_->streams[i]->codecpar;
            if (par->codec_type == AVMEDIA_TYPE_AUDIO && IsWmaCodec(par->codec_id)) {
                streamIndex_ = static_cast<int>(i);
                break;
            }
        }
        if (streamIndex_ < 0) {
            throw WmaError("no WMA audio stream in " + path);
        }
        const AVCodecParameters* par = format_->streams[streamIndex_]->codecpar;
        const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
        if (!decoder) {
            throw WmaError("no decoder for the WMA stream of " + path);
        }
        codec_.reset(avcodec_alloc_context3(decoder));
        packet_.reset(av_packet_alloc());
        frame_.reset(av_frame_alloc());
        if (!codec_ || !packet_ || !frame_) {
            throw WmaError("out of memory");
        }
        rc = avcodec_parameters_to_context(codec_.get(), par);
        if (rc >= 0) {
            rc = avcodec_open2(codec_.get(), decoder, nullptr);
        }
        if (rc < 0) {
            throw WmaError("cannot decode " + path + ": " + FfmpegErrorText(rc));
        }
        if (codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) {
            throw WmaError("the WMA stream of " + path + " has no valid format");
        }
    } catch (...) {
        codec_.reset();
        avformat_close_input(&format_);
        throw;
    }
}

WmaFileReader::~WmaFileReader() {
    codec_.reset();
    avformat_close_input(&format_);
}

int64_t WmaFileReader::SampleCount() const {
    const AVStream* stream = format_->streams[streamIndex_];
    int64_t count = 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        count = av_rescale_q(stream->duration, stream->time_base, AVRational{1, Rate()});
    } else if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) {
        count = av_rescale(format_->duration, Rate(), AV_TIME_BASE);
    }
    // The header's duration is only a claim. WMA streams have a constant bitrate, so the file's
    // bytes bound how long it can play; a damaged header claiming far more than that (days for
    // a few kilobytes) gets the length its bytes would play instead.
    const int64_t bytes = format_->pb ? avio_size(format_->pb) : -1;
    const int64_t bitRate = stream->codecpar->bit_rate;
    if (bytes > 0 && bitRate > 0) {
        const int64_t fit = av_rescale(bytes * 8, Rate(), bitRate);
        if (count > 2 * fit) {
            count = fit;
        }
    }
    return std::max<int64_t>(count, 0);
}

int64_t WmaFileReader::DurationMs() const {
    return av_rescale(SampleCount(), 1000, Rate());
}

std::vector<int16_t> WmaFileReader::Read(int frames, int rate, int channels) {
    if (frames <= 0 || rate <= 0 || channels <= 0) {
        throw WmaError("invalid read request");
    }
    // Samples waiting in another format cannot be handed out any more.
    if (pendingPos_ < pending_.size() && (rate != outRate_ || channels != outChannels_)) {
        pending_.clear();
        pendingPos_ = 0;
    }
    const size_t wanted = static_cast<size_t>(frames) * channels;
    while (pending_.size() - pendingPos_ < wanted && DecodeMore(rate, channels)) {
    }
    size_t n = std::min(wanted, pending_.size() - pendingPos_);
    n -= n % channels;
    std::vector<int16_t> out(pending_.begin() + pendingPos_, pending_.begin() + pendingPos_ + n);
    pendingPos_ += n;
    return out;
}

bool WmaFileReader::ReceiveFrame() {
    const int rc = avcodec_receive_frame(codec_.get(), frame_.get());
    if (rc == 0) {
        return true;
    }
    // After the last packet, anything but a frame ends the stream; a decoder that keeps
    // failing (or waits for input that will never come) must not be asked forever.
    if (rc == AVERROR_EOF || inputEnded_) {
        decoderEnded_ = true;
    }
    return false;
}

bool WmaFileReader::DecodeMore(int rate, int channels) {
    if (finished_) {
        return false;
    }
    if (ReceiveFrame()) {
        Convert(frame_.get(), rate, channels);
        av_frame_unref(frame_.get());
        return true;
    }
    if (decoderEnded_) {
        // The resampler's tail.
        if (resampler_ && rate == outRate_ && channels == outChannels_) {
            Convert(nullptr, rate, channels);
        }
        finished_ = true;
        return true;
    }
    if (inputEnded_) {
        return true;
    }
    // Feed the decoder the next packet of our stream. Read errors past the start (a file cut
    // short) end the input where it breaks off; a damaged packet is dropped by the decoder.
    for (;;) {
        if (av_read_frame(format_, packet_.get()) < 0) {
            inputEnded_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
            break;
        }
        const bool ours = packet_->stream_index == streamIndex_;
        if (ours) {
            avcodec_send_packet(codec_.get(), packet_.get());
        }
        av_packet_unref(packet_.get());
        if (ours) {
            break;
        }
    }
    return true;
}

void WmaFileReader::ConfigureResampler(const AVFrame* frame, int rate, int channels) {
    if (frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0) {
        throw WmaError("the WMA stream changed to an invalid format");
    }
    AVChannelLayout inLayout = UsableLayout(frame->ch_layout);
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, channels);
    SwrContext* swr = nullptr;
    int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, rate, &inLayout,
                                 static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                 nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    ResamplerPtr resampler(swr);
    if (rc >= 0) {
        rc = swr_init(swr);
    }
    if (rc < 0) {
        throw WmaError("cannot convert the WMA audio: " + FfmpegErrorText(rc));
    }
    resampler_ = std::move(resampler);
    inRate_ = frame->sample_rate;
    inChannels_ = frame->ch_layout.nb_channels;
    inFormat_ = frame->format;
    outRate_ = rate;
    outChannels_ = channels;
}

void WmaFileReader::Convert(const AVFrame* frame, int rate, int channels) {
    if (frame && (!resampler_ || frame->sample_rate != inRate_ ||
                  frame->ch_layout.nb_channels != inChannels_ || frame->format != inFormat_ ||
                  rate != outRate_ || channels != outChannels_)) {
        ConfigureResampler(frame, rate, channels);
    }
    const int inFrames = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_.get(), inFrames);
    if (room <= 0) {
        return;
    }
    // Drop what has been handed out before the buffer grows.
    if (pendingPos_ > 0) {
        pending_.erase(pending_.begin(), pending_.begin() + pendingPos_);
        pendingPos_ = 0;
    }
    const size_t start = pending_.size();
    pending_.resize(start + static_cast<size_t>(room) * channels);
    uint8_t* out = reinterpret_cast<uint8_t*>(pending_.data() + start);
    const int done =
        swr_convert(resampler_.get(), &out, room,
                    frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr, inFrames);
    pending_.resize(start + static_cast<size_t>(std::max(done, 0)) * channels);
}

}  // namespace tonquill
