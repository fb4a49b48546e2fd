#pragma once

#include <cstdint>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// The decoder and encoder of the PCM files libsndfile reads and writes (WAV, AIFF), as the codec
// table's stages call them.
// Reads the task's source into DecodedRing. headerFrames: the frames its header promises (0 when
// it does not say), so a file cut short is told from a short one.
bool DecodeSoundFile(PipelineContext& ctx, CConversionTask& task, uint64_t headerFrames);
// Writes task.DestPath as fileFormat (libsndfile's SF_FORMAT_ container | sample type) at the
// target rate and channels.
bool EncodeSoundFile(PipelineContext& ctx, CConversionTask& task, int fileFormat);

}  // namespace tonquill
