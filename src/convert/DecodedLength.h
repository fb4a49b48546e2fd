#pragma once

#include <cstdint>
#include <string>

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// A place in a stream as "m:ss.cc" (minutes, seconds and hundredths) from frames at rate.
std::string PositionText(uint64_t frames, int rate);

// Whether a decoder that delivered `decoded` interleaved samples ended well before the
// `expected` the list found: more than 2 % and more than half a second short. Smaller
// differences are the codecs' own padding and the estimates of files without a length header.
bool EndsWellShort(uint64_t decoded, uint64_t expected, int rate, int channels);

// After a decoder ended without error: a damaged or cut-off file still converts, but the log
// says how much of it could be read, against the longer of the list's length and the one the
// file's header promised. Nothing when neither is known.
void ReportShortStream(PipelineContext& ctx, const CConversionTask& task, uint64_t decoded);

}  // namespace tonquill
