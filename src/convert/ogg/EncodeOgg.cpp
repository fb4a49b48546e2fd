#include "convert/Codecs.h"

namespace tonquill {

// Not written yet: a task that needs this encoder fails with a clear line.
bool EncodeOgg(PipelineContext& ctx, CConversionTask&) {
    ctx.PostLog("This output format cannot be encoded yet", LogLevel::Error);
    ctx.Stop();
    return false;
}

}  // namespace tonquill
