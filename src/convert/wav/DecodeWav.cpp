#include "convert/Codecs.h"
#include "convert/SoundFileStages.h"
#include "convert/wav/WavHeaderLength.h"

namespace tonquill {

bool DecodeWav(PipelineContext& ctx, CConversionTask& task) {
    return DecodeSoundFile(ctx, task, WavHeaderFrames(task.SourcePath));
}

}  // namespace tonquill
