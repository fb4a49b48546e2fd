#include "convert/OutputTagStep.h"

namespace tonquill {

bool WriteOutputTags(PipelineContext& ctx, CConversionTask& task) {
    // The disc, composer, MusicBrainz identifiers and cover come from the source itself: the
    // list keeps only its eight texts.
    std::vector<std::string> notes;
    ExtraTags extras;
    if (FormatHoldsTags(task.OutputType)) {
        extras = ReadExtraTags(task.SourcePath, task.InputType, notes);
    }
    for (const std::string& note : notes) {
        ctx.PostLog(note, LogLevel::Warning);
    }
    const OutputTagResult result =
        WriteOutputTags(task.DestPath, task.OutputType, task.SourceTagKinds, task.Tags, extras);
    if (result.kindsWritten) {
        task.TagKindsWritten = *result.kindsWritten;
    }
    // An empty output has its reason in the log already: the encoder's error or the stop.
    if (!result.saved && !result.emptyOutput) {
        ctx.PostLog("Fail to write tag!" + task.DestPath, LogLevel::Error);
    }
    return result.saved;
}

}  // namespace tonquill
