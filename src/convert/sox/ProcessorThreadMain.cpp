#include "convert/Codecs.h"

namespace tonquill {

// Not written yet: a task that changes rate or channels fails with a clear line.
bool ProcessorThreadMain(PipelineContext& ctx, CConversionTask&) {
    ctx.Stop();
    ctx.PostLog("An error occurred while processing audio data", LogLevel::Error);
    return false;
}

}  // namespace tonquill
