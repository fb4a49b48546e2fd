#include "convert/Codecs.h"

namespace tonquill {

// Not written yet: a task that needs this decoder fails with a clear line.
bool DecodeOgg(PipelineContext& ctx, CConversionTask&) {
    ctx.PostLog("This source format cannot be decoded yet", LogLevel::Error);
    return false;
}

}  // namespace tonquill
