#pragma once

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// The tag step after an encoder: copies the task's tags into its output file.
// False after a failure it has logged; the batch goes on.
bool WriteOutputTags(PipelineContext& ctx, CConversionTask& task);

}  // namespace tonquill
