#include <sndfile.h>

#include "convert/Codecs.h"
#include "convert/SoundFileStages.h"

namespace tonquill {

// Big-endian PCM, as every AIFF reader takes it.
bool EncodeAiff(PipelineContext& ctx, CConversionTask& task) {
    return EncodeSoundFile(
        ctx, task,
        SF_FORMAT_AIFF | (ctx.Settings.AIFF.Bits == 24 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16));
}

}  // namespace tonquill
