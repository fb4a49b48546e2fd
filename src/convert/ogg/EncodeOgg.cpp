#include <cerrno>
#include <cstdio>
#include <memory>

#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"
#include "convert/SampleConvert.h"
#include "convert/ogg/OggSerial.h"

namespace tonquill {
namespace {

// The libvorbis encoder and the Ogg stream of one output file. Set up in the order libvorbis
// wants, torn down in reverse by the destructor on every way out.
class VorbisOutput {
public:
    explicit VorbisOutput(PipelineContext& ctx) : ctx_(ctx) {
        vorbis_info_init(&info_);
        vorbis_comment_init(&comment_);
    }
    ~VorbisOutput() {
        if (streamReady_) {
            ogg_stream_clear(&stream_);
            vorbis_block_clear(&block_);
            vorbis_dsp_clear(&dsp_);
        }
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
        if (file_) {
            std::fclose(file_);
        }
    }
    VorbisOutput(const VorbisOutput&) = delete;
    VorbisOutput& operator=(const VorbisOutput&) = delete;

    bool Configure(int channels, int rate, float quality) {
        return vorbis_encode_init_vbr(&info_, channels, rate, quality) == 0;
    }

    bool Create(const std::string& path) {
        path_ = path;
        file_ = std::fopen(path.c_str(), "w+b");
        return file_ != nullptr;
    }

    // The analysis state, the stream and the three header packets, flushed so the audio starts
    // on a page of its own. Tags are added later by the tag step, so the comment stays empty.
    void Begin() {
        vorbis_analysis_init(&dsp_, &info_);
        vorbis_block_init(&dsp_, &block_);
        ogg_stream_init(&stream_, NewOggSerial());
        streamReady_ = true;

        ogg_packet header;
        ogg_packet commentHeader;
        ogg_packet codebooks;
        vorbis_analysis_headerout(&dsp_, &comment_, &header, &commentHeader, &codebooks);
        ogg_stream_packetin(&stream_, &header);
        ogg_stream_packetin(&stream_, &commentHeader);
        ogg_stream_packetin(&stream_, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0) {
            WritePage(page);
        }
    }

    // Hands n interleaved samples of `channels` channels to the encoder and writes what it gives.
    void EncodePass(const int32_t* samples, uint32_t n, int channels) {
        const int frames = static_cast<int>(n / static_cast<uint32_t>(channels));
        float** buffer = vorbis_analysis_buffer(&dsp_, frames);
        for (int c = 0; c < channels; ++c) {
            float* out = buffer[c];
            for (int i = 0; i < frames; ++i) {
                out[i] = SampleToFloat(samples[static_cast<size_t>(i) * channels + c]);
            }
        }
        vorbis_analysis_wrote(&dsp_, frames);
        Drain();
    }

    // Ends the stream; the last page carries the end-of-stream mark.
    void Finish() {
        vorbis_analysis_wrote(&dsp_, 0);
        Drain();
    }

    // Closes the file; false when what was buffered could not be written.
    bool Close() {
        FILE* file = file_;
        file_ = nullptr;
        return std::fclose(file) == 0;
    }

    bool WriteFailed() const { return writeFailed_; }

private:
    void Drain() {
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) != 0) {
                ogg_stream_packetin(&stream_, &packet);
                ogg_page page;
                while (!endOfStream_ && ogg_stream_pageout(&stream_, &page) != 0) {
                    WritePage(page);
                    if (ogg_page_eos(&page)) {
                        endOfStream_ = true;
                    }
                }
            }
        }
    }

    void WritePage(const ogg_page& page) {
        if (writeFailed_) {
            return;
        }
        const size_t headerLen = static_cast<size_t>(page.header_len);
        const size_t bodyLen = static_cast<size_t>(page.body_len);
        errno = 0;
        if (std::fwrite(page.header, 1, headerLen, file_) != headerLen ||
            std::fwrite(page.body, 1, bodyLen, file_) != bodyLen) {
            writeFailed_ = true;
            ctx_.PostOutputWriteError(path_, errno);
        }
    }

    PipelineContext& ctx_;
    std::string path_;
    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    ogg_stream_state stream_;
    FILE* file_ = nullptr;
    bool streamReady_ = false;
    bool endOfStream_ = false;
    bool writeFailed_ = false;
};

}  // namespace

bool EncodeOgg(PipelineContext& ctx, CConversionTask& task) {
    // Step 1: quality mode; a stored 3 means quality 0.3.
    VorbisOutput output(ctx);
    if (!output.Configure(task.TargetChannels, task.TargetRate,
                          VorbisQuality(ctx.Settings.OGG.QualityCompression))) {
        ctx.FailTask("Invalid Ogg Vorbis format.");
        return false;
    }

    // Step 2: the output file.
    if (!output.Create(task.DestPath)) {
        ctx.FailTaskOnFile(Format("Error creating file %s", task.DestPath.c_str()), task.DestPath,
                           errno);
        return false;
    }

    // Steps 3 and 4: the stream and its headers.
    output.Begin();

    // Steps 5 and 6: 4096 frames a pass.
    const int channels = task.TargetChannels;
    const uint32_t chunk = static_cast<uint32_t>(channels) * 4096;
    RunEncoderLoop(ctx, task, chunk, [&](const int32_t* samples, uint32_t n) {
        if (!output.WriteFailed()) {
            output.EncodePass(samples, n, channels);
        }
    });

    // Step 7: also after a stop, so a stopped task leaves a shorter, complete stream.
    output.Finish();
    errno = 0;
    if (!output.Close() && !output.WriteFailed()) {
        ctx.PostOutputWriteError(task.DestPath, errno);
    }
    ReportProgress(ctx, task, true);
    return true;
}

}  // namespace tonquill
