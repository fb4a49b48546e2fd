#pragma once

#include <string>
#include <vector>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// EncodeMp3 with the encoder library taken from the first of libraryPaths that loads;
// EncodeMp3 itself passes DefaultLameLibraryPaths().
bool EncodeMp3WithLibrary(PipelineContext& ctx, CConversionTask& task,
                          const std::vector<std::string>& libraryPaths);

}  // namespace tonquill
