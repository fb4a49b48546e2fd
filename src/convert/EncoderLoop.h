#pragma once

#include <cstdint>
#include <functional>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// Seconds of output audio in n interleaved samples of the task's target format.
double AudioSeconds(const CConversionTask& task, uint64_t n);

// Reports the task's and the batch's percentages to the observer.
void ReportProgress(PipelineContext& ctx, const CConversionTask& task, bool synchronous);

// The loop every encoder shares. Takes chunks of `chunk` samples from task.EncoderInput while the
// batch runs, idles while paused, reports progress at most every 100 ms, hands each chunk to
// encodePass and counts it. When the producers have ended, the samples left are the last pass.
// encodePass stops the batch (ctx.Stop()) after an error it has logged. The caller finishes its
// output afterwards and then calls ReportProgress(..., true).
void RunEncoderLoop(PipelineContext& ctx, CConversionTask& task, uint32_t chunk,
                    const std::function<void(const int32_t* samples, uint32_t n)>& encodePass);

}  // namespace tonquill
