#include "metadata/OutputTagWriter.h"

namespace tonquill {

// Tag transfer is not written yet: outputs are left untagged.
bool WriteOutputTags(PipelineContext&, CConversionTask&) {
    return true;
}

}  // namespace tonquill
