#include "convert/BatchDriver.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "base/CreateFolderPath.h"
#include "base/Format.h"
#include "base/Tick.h"
#include "convert/CoverFileCopy.h"
#include "convert/ParallelBatch.h"
#include "convert/PipelineThreads.h"

namespace tonquill {

const std::string SeparatorLine(99, '-');

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Waits for a worker within the bound. Time spent paused does not count: a paused encoder idles
// by design, however long the person takes (the cancel question pauses too). A worker that
// overruns cannot have finished its output, so the task fails: Running is cleared, which ends
// every stage within milliseconds, and then the worker is joined. One stuck inside a codec call
// ignores that too; this thread then waits with it, keeping the task the worker reads alive,
// and the batch's watch leaves the pipeline behind.
void JoinWorker(PipelineContext& ctx, WorkerThread& worker, const char* stage,
                const CConversionTask& task) {
    constexpr unsigned SliceMs = 10;
    uint64_t unpausedMs = 0;
    uint32_t last = TickCount();
    while (!worker.WaitFor(SliceMs)) {
        const uint32_t now = TickCount();
        if (!ctx.Paused.load(std::memory_order_acquire)) {
            unpausedMs += static_cast<uint32_t>(now - last);
        }
        last = now;
        if (unpausedMs >= ctx.JoinBoundMs) {
            ctx.PostLog(Format("The %s of %s did not finish within %u seconds.", stage,
                               task.SourcePath.c_str(), ctx.JoinBoundMs / 1000),
                        LogLevel::Error);
            ctx.Stop();
            worker.Join();
            return;
        }
    }
}

void RemoveIfEmpty(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 &&
        !ec) {
        std::filesystem::remove(path, ec);
    }
}

bool HasContent(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) > 0 &&
           !ec;
}

}  // namespace

ClaimedOutput ClaimOutputPath(const std::string& path) {
    std::string candidate = Exists(path) ? MakeUniquePath(path) : path;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return {candidate, true};
        }
        if (errno != EEXIST) {
            // Not ours to create (for example a read-only folder): the encoder reports it.
            return {candidate, false};
        }
        candidate = MakeUniquePath(path);
    }
    return {candidate, false};
}

TaskOutcome RunBatchTask(PipelineContext& ctx) {
    return RunBatchTask(ctx, ctx.Tasks[ctx.TaskIndex], ctx.TaskIndex + 1,
                        static_cast<int>(ctx.Tasks.size()));
}

namespace {

// The album's picture follows its music; a picture that cannot be copied never fails the file.
void CopyCovers(PipelineContext& ctx, const CConversionTask& task) {
    const CoverCopyResult result =
        CopyCoverFiles(FolderOf(task.SourcePath), FolderOf(task.DestPath));
    for (const std::string& name : result.copied) {
        ctx.PostLog(Format("Cover picture copied: %s.", name.c_str()), LogLevel::Info);
    }
    for (const std::string& problem : result.problems) {
        ctx.PostLog(Format("Warning : the cover picture %s could not be copied.", problem.c_str()),
                    LogLevel::Warning);
    }
}

}  // namespace

TaskOutcome RunBatchTask(PipelineContext& ctx, const CConversionTask& listed, int number,
                         int count) {
    ctx.PostLog(SeparatorLine, LogLevel::Info);
    const uint32_t taskStart = TickCount();
    ctx.Observer().Caption(Format("Converting %d/%d", number, count));

    // Everything below works on a copy, so a changed output name never reaches the list.
    CConversionTask task = listed;

    const std::string folder = FolderOf(task.DestPath);
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec) &&
        !CreateFolderPath(folder)) {
        ctx.FailTaskOnFile(Format("Fail to create folder %s !", folder.c_str()), folder, errno);
        return TaskOutcome::FolderFailed;
    }

    ClaimedOutput claimed = ClaimOutputPath(task.DestPath);
    task.DestPath = claimed.path;
    ctx.OpenTask(task.DestPath);

    ctx.Observer().Paths(task.SourcePath, task.DestPath);
    ctx.PostLog("Start a new converting task.", LogLevel::Info);
    ctx.PostLog(Format("Source:  %s.", task.SourcePath.c_str()), LogLevel::Info);
    ctx.PostLog(Format("Destination: %s.", task.DestPath.c_str()), LogLevel::Info);

    ctx.TaskSamplesDone = 0;
    ctx.TaskAudioSeconds = 0.0;
    ctx.TaskStartTick = TickCount();
    ctx.BeginTaskRecord();
    ctx.DecodedRing.Reset();
    ctx.ProcessedRing.Reset();

    if (!DecodeTask(ctx, task)) {
        ctx.Stop();
    }
    if (task.NeedsProcessing && ctx.ProcessorThread.Started()) {
        JoinWorker(ctx, ctx.ProcessorThread, "rate and channel conversion", task);
    }
    JoinWorker(ctx, ctx.EncoderThread, "encoder", task);
    ctx.CurrentTask = nullptr;
    if (!ctx.CloseTask()) {
        // Left behind while a stage was stuck: the batch has answered for the file already.
        return TaskOutcome::Failed;
    }

    if (ctx.IsRunning()) {
        const double elapsed = static_cast<uint32_t>(TickCount() - taskStart) / 1000.0;
        const double speed = elapsed > 0 ? ctx.TaskAudioSeconds / elapsed : 0.0;
        ctx.PostLog(Format("Time elapsed %.2f secs, speed %.2fx.", elapsed, speed), LogLevel::Info);
        if (ctx.Settings.OUTPUT.CopyCovers) {
            CopyCovers(ctx, task);
        }
        ctx.PostLog("Converting status: OK.", LogLevel::Info);
        return TaskOutcome::Converted;
    }
    // An output whose writing failed is unfinished however much it holds, and a player would
    // take it for the whole file: it goes. A claimed name that never received a byte is not a
    // partial output either: give it back.
    if (ctx.OutputWriteFailed()) {
        std::error_code removeError;
        if (std::filesystem::remove(task.DestPath, removeError)) {
            ctx.PostLog(Format("The unfinished output %s was removed.", task.DestPath.c_str()),
                        LogLevel::Warning);
        }
    } else if (claimed.created) {
        RemoveIfEmpty(task.DestPath);
    }
    // A cancel closes the output as a valid, shorter file: the person is told it is there.
    if (ctx.IsCancelled() && HasContent(task.DestPath)) {
        ctx.PostLog(
            Format("The output %s holds what was converted before Cancel.", task.DestPath.c_str()),
            LogLevel::Warning);
    }
    // The task's last line before its status names the file and repeats the cause, which may
    // lie several lines up or name neither file.
    const std::string cause = ctx.FirstTaskError();
    if (!cause.empty()) {
        ctx.PostLog(Format("%s was not converted: %s", task.SourcePath.c_str(), cause.c_str()),
                    LogLevel::Error);
    }
    ctx.PostLog("Converting status: ERROR.", LogLevel::Error);
    return TaskOutcome::Failed;
}

void RunBatch(PipelineContext& ctx) {
    // Step 1: give the window time to appear, then start the clock.
    if (ctx.StartDelayMs) {
        SleepMs(ctx.StartDelayMs);
    }
    ParallelBatch batch(ctx);
    const BatchReport report = batch.Run(ctx.Observer());
    if (report.failedSources.empty() && report.notStarted == 0 && !report.interrupted) {
        ctx.Observer().Done();
    } else {
        ctx.Observer().Stopped();
    }
}

}  // namespace tonquill
