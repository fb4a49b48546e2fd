#include "convert/EncoderLoop.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/Tick.h"

namespace tonquill {
namespace {

float Percent(uint64_t done, uint64_t total) {
    return total
               ? static_cast<float>(static_cast<double>(done) * 100.0 / static_cast<double>(total))
               : 0.0f;
}

}  // namespace

double AudioSeconds(const CConversionTask& task, uint64_t n) {
    const double perSecond = static_cast<double>(task.TargetRate) * task.TargetChannels;
    return perSecond > 0 ? static_cast<double>(n) / perSecond : 0.0;
}

void ReportProgress(PipelineContext& ctx, const CConversionTask& task, bool synchronous) {
    ctx.Observer().Progress(Percent(ctx.TaskSamplesDone, task.EstimatedSamples),
                            Percent(ctx.OverallSamplesDone, ctx.OverallSamplesTotal), synchronous);
}

void RunEncoderLoop(PipelineContext& ctx, CConversionTask& task, uint32_t chunk,
                    const std::function<void(const int32_t*, uint32_t)>& encodePass) {
    SampleRing& input = *task.EncoderInput;
    // A chunk the ring cannot hold would be waited for for ever (a WMA second of 192 kHz 5.1 is
    // more than the ring): take at most half the ring, in whole frames, so the producer's next
    // block always fits beside what is waiting.
    const uint32_t frame = task.TargetChannels > 0 ? static_cast<uint32_t>(task.TargetChannels) : 1;
    chunk = std::min(chunk, std::max(input.Capacity() / 2 / frame * frame, frame));
    // Uninitialised for the same reason as the rings: each pass reads into it before use.
    const std::unique_ptr<int32_t[]> buffer(new int32_t[chunk]);
    uint32_t lastReport = TickCount();
    while (ctx.IsRunning()) {
        if (ctx.Paused.load(std::memory_order_acquire)) {
            SleepMs(100);
            continue;
        }
        if (TickCount() - lastReport > 100) {
            lastReport = TickCount();
            ReportProgress(ctx, task, false);
        }
        // The producers' flags are read before the ring, so once they are seen down the ring
        // already holds everything they wrote.
        const bool producing = task.DecoderRunning.load() || task.ProcessorRunning.load();
        uint32_t n = input.Available();
        bool lastPass = false;
        if (n >= chunk) {
            n = chunk;
        } else if (producing) {
            SleepMs(1);
            continue;
        } else {
            lastPass = true;
        }
        if (n > 0) {
            input.Read(buffer.get(), n);
            encodePass(buffer.get(), n);
            ctx.TaskSamplesDone += n;
            ctx.OverallSamplesDone += n;
            const double seconds = AudioSeconds(task, n);
            ctx.OverallAudioSeconds = ctx.OverallAudioSeconds + seconds;
            ctx.TaskAudioSeconds = ctx.TaskAudioSeconds + seconds;
        }
        if (lastPass) {
            break;
        }
    }
}

}  // namespace tonquill
