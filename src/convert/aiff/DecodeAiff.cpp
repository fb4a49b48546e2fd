#include "convert/Codecs.h"
#include "convert/SoundFileStages.h"
#include "convert/aiff/AiffHeaderLength.h"

namespace tonquill {

bool DecodeAiff(PipelineContext& ctx, CConversionTask& task) {
    return DecodeSoundFile(ctx, task, AiffHeaderFrames(task.SourcePath));
}

}  // namespace tonquill
