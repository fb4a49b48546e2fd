#include <cerrno>
#include <vector>

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include "base/Format.h"
#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"

namespace tonquill {
namespace {

// The libFLAC encoder and the seek table it fills, released on every way out.
class FlacOutput {
public:
    FlacOutput() : encoder_(FLAC__stream_encoder_new()) {}
    ~FlacOutput() {
        if (encoder_) {
            FLAC__stream_encoder_delete(encoder_);
        }
        for (FLAC__StreamMetadata* block : blocks_) {
            FLAC__metadata_object_delete(block);
        }
    }
    FlacOutput(const FlacOutput&) = delete;
    FlacOutput& operator=(const FlacOutput&) = delete;

    FLAC__StreamEncoder* Encoder() const { return encoder_; }

    // A seek point every ten seconds of the expected length (the encoder fills them in when it
    // finishes) and room for the tags written after it, so they need not move the audio.
    bool AddMetadata(uint64_t expectedFrames, int rate) {
        FLAC__StreamMetadata* table = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
        FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
        if (!table || !padding) {
            return false;
        }
        blocks_ = {table, padding};
        padding->length = 8192;
        if (expectedFrames > 0 &&
            (!FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
                 table, static_cast<unsigned>(rate) * 10, expectedFrames) ||
             !FLAC__metadata_object_seektable_template_sort(table, true))) {
            return false;
        }
        return FLAC__stream_encoder_set_metadata(encoder_, blocks_.data(),
                                                 static_cast<unsigned>(blocks_.size()));
    }

private:
    FLAC__StreamEncoder* encoder_;
    std::vector<FLAC__StreamMetadata*> blocks_;
};

}  // namespace

bool EncodeFlac(PipelineContext& ctx, CConversionTask& task) {
    const int level = ctx.Settings.FLAC.Level;
    const int bits = ctx.Settings.FLAC.Bits;
    const int channels = task.TargetChannels;
    if (level < 0 || level > 8 || (bits != 16 && bits != 24)) {
        ctx.FailTask(Format("Invalid FLAC settings: level %d, %d bits", level, bits));
        return false;
    }
    // libFLAC stores the MD5 of the audio in the stream information on its own.
    FlacOutput output;
    FLAC__StreamEncoder* encoder = output.Encoder();
    const uint64_t expectedFrames =
        channels > 0 ? task.EstimatedSamples / static_cast<uint64_t>(channels) : 0;
    if (!encoder || !FLAC__stream_encoder_set_channels(encoder, static_cast<unsigned>(channels)) ||
        !FLAC__stream_encoder_set_bits_per_sample(encoder, static_cast<unsigned>(bits)) ||
        !FLAC__stream_encoder_set_sample_rate(encoder, static_cast<unsigned>(task.TargetRate)) ||
        !FLAC__stream_encoder_set_compression_level(encoder, static_cast<unsigned>(level)) ||
        !FLAC__stream_encoder_set_total_samples_estimate(encoder, expectedFrames) ||
        !output.AddMetadata(expectedFrames, task.TargetRate)) {
        ctx.FailTask("Invalid FLAC format.");
        return false;
    }
    errno = 0;
    const FLAC__StreamEncoderInitStatus status =
        FLAC__stream_encoder_init_file(encoder, task.DestPath.c_str(), nullptr, nullptr);
    if (status == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR) {
        ctx.FailTaskOnFile(Format("Error creating file %s", task.DestPath.c_str()), task.DestPath,
                           errno);
        return false;
    }
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        ctx.FailTask(
            Format("Invalid FLAC format: %s", FLAC__StreamEncoderInitStatusString[status]));
        return false;
    }

    // The pipeline's samples have full 32-bit scale; the output keeps their top bits, so a
    // source of the output's width comes back bit-exact.
    const int shift = 32 - bits;
    const uint32_t chunk = static_cast<uint32_t>(channels) * 4096;
    std::vector<FLAC__int32> scaled(chunk);
    bool failed = false;
    RunEncoderLoop(ctx, task, chunk, [&](const int32_t* samples, uint32_t n) {
        if (failed) {
            return;
        }
        for (uint32_t i = 0; i < n; ++i) {
            scaled[i] = samples[i] >> shift;
        }
        if (!FLAC__stream_encoder_process_interleaved(encoder, scaled.data(),
                                                      n / static_cast<uint32_t>(channels))) {
            failed = true;
            ctx.PostOutputWriteError(task.DestPath, errno);
        }
    });

    // Also after a stop, so a stopped task leaves a shorter, complete file.
    errno = 0;
    if (!FLAC__stream_encoder_finish(encoder) && !failed) {
        ctx.PostOutputWriteError(task.DestPath, errno);
    }
    ReportProgress(ctx, task, true);
    return true;
}

}  // namespace tonquill
