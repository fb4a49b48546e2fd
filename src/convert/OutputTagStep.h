#pragma once

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "tags/OutputTagWriter.h"

namespace tonquill {

// The pipeline's tag step after an encoder: writes the task's tags into its output (see the
// tags layer's WriteOutputTags), records the tag kinds an MP3 output got in the task, and logs a
// failed save as "Fail to write tag!" with the output path; the batch goes on. False when
// nothing was tagged or the save failed.
bool WriteOutputTags(PipelineContext& ctx, CConversionTask& task);

}  // namespace tonquill
