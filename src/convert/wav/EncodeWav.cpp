#include <sndfile.h>

#include "convert/Codecs.h"
#include "convert/SoundFileStages.h"

namespace tonquill {

bool EncodeWav(PipelineContext& ctx, CConversionTask& task) {
    const int subFormat = ctx.Settings.WAV.SubFormat;
    return EncodeSoundFile(ctx, task,
                           SF_FORMAT_WAV | (subFormat == 0   ? SF_FORMAT_PCM_U8
                                            : subFormat == 2 ? SF_FORMAT_PCM_24
                                                             : SF_FORMAT_PCM_16));
}

}  // namespace tonquill
