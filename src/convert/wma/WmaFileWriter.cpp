#include "convert/wma/WmaFileWriter.h"

#include <algorithm>
#include <vector>

#include "convert/wma/WmaComponent.h"

namespace tonquill {

namespace {

void Check(int rc, const char* what) {
    if (rc < 0) {
        throw WmaError(std::string(what) + ": " + FfmpegErrorText(rc));
    }
}

// How input channels become the preset's, row-major outputs x inputs, the way the channel effect
// of the other output formats does it: fewer outputs take the mean of every input that falls to
// them in turn (input i to output i mod outputs), more outputs repeat the inputs in turn. So a
// mono source keeps its level on both sides and a many-channel mix cannot clip.
std::vector<double> ChannelMixMatrix(int inputs, int outputs) {
    std::vector<double> matrix(static_cast<size_t>(inputs) * outputs, 0.0);
    for (int out = 0; out < outputs; ++out) {
        double* row = matrix.data() + static_cast<size_t>(out) * inputs;
        if (outputs >= inputs) {
            row[out % inputs] = 1.0;
            continue;
        }
        const int share = (inputs - out + outputs - 1) / outputs;  // inputs landing on out
        for (int in = out; in < inputs; in += outputs) {
            row[in] = 1.0 / share;
        }
    }
    return matrix;
}

}  // namespace

WmaFileWriter::WmaFileWriter(const std::string& path, const WmaPreset& preset, int inputRate,
                             int inputChannels)
    : inputChannels_(inputChannels) {
    QuietFfmpegLog();
    if (inputRate <= 0 || inputChannels <= 0 || inputChannels > WmaMaxPcmChannels) {
        throw WmaError("invalid input format for WMA output");
    }
    const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    const AVOutputFormat* asf = av_guess_format("asf", nullptr, nullptr);
    if (!encoder || !asf) {
        throw WmaError("this FFmpeg cannot write WMA files");
    }
    Check(avformat_alloc_output_context2(&format_, asf, nullptr, path.c_str()),
          "cannot create the ASF writer");
    try {
        codec_.reset(avcodec_alloc_context3(encoder));
        frame_.reset(av_frame_alloc());
        packet_.reset(av_packet_alloc());
        if (!codec_ || !frame_ || !packet_) {
            throw WmaError("out of memory");
        }
        codec_->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        codec_->sample_rate = preset.rate;
        av_channel_layout_default(&codec_->ch_layout, preset.channels);
        codec_->bit_rate = WmaEncodingBitrate(preset);
        codec_->time_base = AVRational{1, preset.rate};
        if (format_->oformat->flags & AVFMT_GLOBALHEADER) {
            codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        Check(avcodec_open2(codec_.get(), encoder, nullptr), "cannot start the WMA encoder");
        frameSize_ = codec_->frame_size > 0 ? codec_->frame_size : 2048;

        stream_ = avformat_new_stream(format_, nullptr);
        if (!stream_) {
            throw WmaError("out of memory");
        }
        Check(avcodec_parameters_from_context(stream_->codecpar, codec_.get()),
              "cannot set up the WMA stream");
        stream_->time_base = codec_->time_base;

        Check(avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE),
              ("cannot create " + path).c_str());
        Check(avformat_write_header(format_, nullptr), "cannot write the ASF header");
        headerWritten_ = true;

        AVChannelLayout inLayout{};
        av_channel_layout_default(&inLayout, inputChannels);
        SwrContext* swr = nullptr;
        const int rc =
            swr_alloc_set_opts2(&swr, &codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate,
                                &inLayout, AV_SAMPLE_FMT_S16, inputRate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        resampler_.reset(swr);
        Check(rc, "cannot convert to the preset's format");
        if (inputChannels != codec_->ch_layout.nb_channels) {
            const std::vector<double> matrix =
                ChannelMixMatrix(inputChannels, codec_->ch_layout.nb_channels);
            Check(swr_set_matrix(swr, matrix.data(), inputChannels),
                  "cannot convert to the preset's format");
        }
        Check(swr_init(swr), "cannot convert to the preset's format");

        fifo_.reset(
            av_audio_fifo_alloc(codec_->sample_fmt, codec_->ch_layout.nb_channels, frameSize_));
        if (!fifo_) {
            throw WmaError("out of memory");
        }
        // FFmpeg's WMA decoder yields nothing for the first frame of a stream (it only primes
        // the overlap), so the stream starts with one frame of silence that carries no audio.
        AppendSilence();
    } catch (...) {
        Release();
        throw;
    }
}

WmaFileWriter::~WmaFileWriter() {
    if (!finished_) {
        try {
            Finish();
        } catch (...) {
            // A destructor cannot report; the file stays as far as it was written.
        }
    }
    Release();
}

void WmaFileWriter::Release() {
    if (format_) {
        if (format_->pb) {
            avio_closep(&format_->pb);
        }
        avformat_free_context(format_);
        format_ = nullptr;
    }
    stream_ = nullptr;
    codec_.reset();
    resampler_.reset();
    fifo_.reset();
}

void WmaFileWriter::Write(const int16_t* samples, size_t count) {
    if (finished_ || !format_) {
        throw WmaError("no WMA output is open");
    }
    if (count % inputChannels_ != 0) {
        throw WmaError("sample count is not a whole number of frames");
    }
    // Large writes go through the resampler in slices, so its buffers stay small.
    constexpr size_t SliceFrames = 1 << 16;
    size_t frames = count / inputChannels_;
    const uint8_t* input = reinterpret_cast<const uint8_t*>(samples);
    try {
        while (frames > 0) {
            const size_t n = std::min(frames, SliceFrames);
            Resample(input, static_cast<int>(n));
            EncodeFrames(false);
            input += n * inputChannels_ * sizeof(int16_t);
            frames -= n;
        }
    } catch (...) {
        // A broken output is given up at once, so closing it later does not fail a second time
        // and the next file starts clean.
        finished_ = true;
        Release();
        throw;
    }
}

void WmaFileWriter::AppendSilence() {
    const int channels = codec_->ch_layout.nb_channels;
    uint8_t** silence = nullptr;
    Check(av_samples_alloc_array_and_samples(&silence, nullptr, channels, frameSize_,
                                             codec_->sample_fmt, 0),
          "out of memory");
    av_samples_set_silence(silence, 0, frameSize_, channels, codec_->sample_fmt);
    const int written =
        av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(silence), frameSize_);
    av_freep(&silence[0]);
    av_freep(&silence);
    Check(written, "out of memory");
}

void WmaFileWriter::Resample(const uint8_t* input, int frames) {
    const int room = swr_get_out_samples(resampler_.get(), frames);
    if (room <= 0) {
        return;
    }
    uint8_t** planes = nullptr;
    Check(av_samples_alloc_array_and_samples(&planes, nullptr, codec_->ch_layout.nb_channels, room,
                                             codec_->sample_fmt, 0),
          "out of memory");
    const int done =
        swr_convert(resampler_.get(), planes, room, input ? &input : nullptr, input ? frames : 0);
    int rc = done;
    if (done > 0) {
        rc = av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes), done);
    }
    av_freep(&planes[0]);
    av_freep(&planes);
    Check(rc, "cannot convert samples for the WMA encoder");
}

void WmaFileWriter::EncodeFrames(bool final) {
    const bool shortLastFrame =
        (codec_->codec->capabilities &
         (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;
    for (;;) {
        const int available = av_audio_fifo_size(fifo_.get());
        if (available == 0 || (available < frameSize_ && !final)) {
            return;
        }
        const int n = std::min(available, frameSize_);
        // An encoder without short frames gets the last one padded with silence.
        const int frameSamples = shortLastFrame ? n : frameSize_;
        frame_->nb_samples = frameSamples;
        frame_->format = codec_->sample_fmt;
        frame_->sample_rate = codec_->sample_rate;
        Check(av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout), "out of memory");
        Check(av_frame_get_buffer(frame_.get(), 0), "out of memory");
        const int read = av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->data), n);
        if (read < frameSamples) {
            av_samples_set_silence(frame_->data, std::max(read, 0),
                                   frameSamples - std::max(read, 0), codec_->ch_layout.nb_channels,
                                   codec_->sample_fmt);
        }
        frame_->pts = nextPts_;
        nextPts_ += frameSamples;
        try {
            Send(frame_.get());
        } catch (...) {
            av_frame_unref(frame_.get());
            throw;
        }
        av_frame_unref(frame_.get());
    }
}

void WmaFileWriter::Send(AVFrame* frame) {
    Check(avcodec_send_frame(codec_.get(), frame), "WMA encoding failed");
    for (;;) {
        const int rc = avcodec_receive_packet(codec_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) {
            return;
        }
        Check(rc, "WMA encoding failed");
        packet_->stream_index = stream_->index;
        av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
        const int written = av_interleaved_write_frame(format_, packet_.get());
        av_packet_unref(packet_.get());
        Check(written, "cannot write the WMA file");
        Check(format_->pb->error, "cannot write the WMA file");
    }
}

void WmaFileWriter::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    try {
        if (format_ && headerWritten_) {
            Resample(nullptr, 0);
            // The decoder gives each frame back only once the next one has arrived, so one
            // more frame of silence carries the last samples of audio out.
            AppendSilence();
            EncodeFrames(true);
            Send(nullptr);
            Check(av_write_trailer(format_), "cannot finish the WMA file");
            avio_flush(format_->pb);
            Check(format_->pb->error, "cannot write the WMA file");
            const int closed = avio_closep(&format_->pb);
            Check(closed, "cannot close the WMA file");
        }
    } catch (...) {
        Release();
        throw;
    }
    Release();
}

}  // namespace tonquill
