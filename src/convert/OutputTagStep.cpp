#include "convert/OutputTagStep.h"

namespace tonquill {

bool WriteOutputTags(PipelineContext& ctx, CConversionTask& task) {
    const OutputTagResult result =
        WriteOutputTags(task.DestPath, task.OutputType, task.SourceTagKinds, task.Tags);
    if (result.kindsWritten) {
        task.TagKindsWritten = *result.kindsWritten;
    }
    // An empty output has its reason in the log already: the encoder's error or the stop.
    if (!result.saved && !result.emptyOutput) {
        ctx.PostLog("Fail to write tag!" + task.DestPath, LogLevel::Error);
    }
    return result.saved;
}

}  // namespace tonquill
