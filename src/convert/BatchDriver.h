#pragma once

#include <string>

#include "convert/PipelineContext.h"

namespace tonquill {

// The separator line that opens each task in the log.
extern const std::string SeparatorLine;

// Converts ctx.Tasks one after another as a batch of one pipeline over ctx itself (see
// ParallelBatch), logging each task and its outcome; the first failing task stops the batch, and
// the observer hears Done or Stopped at the end. The caller sets Running first.
void RunBatch(PipelineContext& ctx);

enum class TaskOutcome { Converted, Failed, FolderFailed };

// One pass of RunBatch's loop: converts the task at ctx.TaskIndex and logs it. Failed means the
// task logged its error status (Running is then clear); FolderFailed means its output folder
// could not be created and nothing more was logged. A front end running several pipelines
// calls it once per task it takes.
TaskOutcome RunBatchTask(PipelineContext& ctx);
// The same for a task given apart from ctx.Tasks, number of count: pipelines that share one
// list of tasks need no copy of it each.
TaskOutcome RunBatchTask(PipelineContext& ctx, const CConversionTask& listed, int number,
                         int count);

// Claims a free output name for path: path itself when no file is there, else the first free
// "name (n).ext". The name is taken by creating an empty file exclusively, so two pipelines
// writing into one folder never share an output. Returns the claimed path and whether the empty
// file was created.
struct ClaimedOutput {
    std::string path;
    bool created = false;
};
ClaimedOutput ClaimOutputPath(const std::string& path);

}  // namespace tonquill
