#include <vector>

#include "convert/Codecs.h"
#include "convert/EncoderLoop.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill {
namespace {

// Closes the writer's output when encoding is left by an exception, so the file is not held
// open until the next WMA task; a second failure while closing adds nothing to the first.
class CloseOnThrow {
public:
    explicit CloseOnThrow(WmaComponent& writer) : writer_(&writer) {}
    ~CloseOnThrow() {
        if (writer_) {
            try {
                writer_->Close();
            } catch (...) {
            }
        }
    }
    CloseOnThrow(const CloseOnThrow&) = delete;
    CloseOnThrow& operator=(const CloseOnThrow&) = delete;
    void Dismiss() { writer_ = nullptr; }

private:
    WmaComponent* writer_;
};

}  // namespace

// Every failing component call throws; the encoder thread turns that into its error line.
bool EncodeWma(PipelineContext& ctx, CConversionTask& task) {
    if (!ctx.WmaWriter) {
        throw WmaError("the WMA component is not available");
    }
    WmaComponent& writer = *ctx.WmaWriter;

    // Step 1: the PCM format handed over, and the output with the selected preset.
    writer.SetFormat(task.TargetRate, task.TargetChannels);
    writer.CreateForWriting(task.DestPath);
    CloseOnThrow guard(writer);

    // Steps 2 and 3: one second a pass, each sample cut to its upper 16 bits.
    const uint32_t chunk = static_cast<uint32_t>(task.TargetRate) * task.TargetChannels;
    std::vector<int16_t> pcm(chunk);
    RunEncoderLoop(ctx, task, chunk, [&](const int32_t* samples, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) {
            pcm[i] = static_cast<int16_t>(samples[i] >> 16);
        }
        writer.WriteSamples(pcm.data(), n);
    });

    // Step 4: also after a stop, so a stopped task leaves a shorter, complete file.
    guard.Dismiss();
    writer.Close();
    ReportProgress(ctx, task, true);
    return true;
}

}  // namespace tonquill
