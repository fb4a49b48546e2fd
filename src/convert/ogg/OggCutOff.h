#pragma once

#include <string>

#include "convert/PipelineContext.h"

namespace tonquill {

// Whether the file's first Ogg stream ends without the page that closes it (the end-of-stream
// flag): a file cut off in copying or downloading. Neither Vorbis nor Opus headers say how long
// the stream is, so this is the only sign that audio is missing after the end.
bool OggStreamIsCutOff(const std::string& path);

// After a decoder of an Ogg stream ended without error: when the stream is cut off, the log says
// so and how much was read.
void ReportCutOffOggStream(PipelineContext& ctx, const std::string& path, uint64_t framesRead,
                           int rate);

}  // namespace tonquill
