#pragma once

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// The tag step after an encoder: copies the task's tags into its output file, MP3 outputs as
// ID3v1, ID3v2 and APE tags chosen from the source's tag kinds, Ogg Vorbis outputs as a Vorbis
// comment, WMA outputs as ASF attributes; each also gets the encoder note. False after a failed
// save, which it has logged as "Fail to write tag!" with the output path; the batch goes on.
bool WriteOutputTags(PipelineContext& ctx, CConversionTask& task);

// The ID3v1 number of a tag text: the decimal number at its start (leading white space and a
// sign allowed, 0 without digits), so "3/12" gives 3 and "2004-05-01" gives 2004.
int LeadingTagNumber(const std::string& text);

}  // namespace tonquill
