#include <cstdio>
#include <cstdlib>

#include <sys/ioctl.h>
#include <unistd.h>

#include "base/Format.h"
#include "base/ProgramFolder.h"
#include "base/Tick.h"
#include "cli/BatchStatusLine.h"
#include "cli/CliCommands.h"
#include "cli/InterruptSignal.h"
#include "cli/SettingOverridesApply.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/FileScan.h"
#include "metadata/RowLoader.h"
#include "metadata/RowTaskSource.h"

namespace tonquill {
namespace {

int TerminalWidth() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

}  // namespace

int RunConvert(const CommandLine& line, Console& console) {
    // From the start, so Ctrl-C while a large folder is read still ends with the exit status of
    // an interrupt rather than by the signal.
    InterruptSignal::Install();
    ConversionSettings settings = LoadCliSettings(line, console);
    ApplySettingOverrides(line.overrides, settings);

    // Step 1: the files the paths name.
    const ScanResult scan = ScanPaths(line.paths, settings.OUTPUT.Filter, line.recursive);
    for (const auto& problem : scan.problems) {
        console.Error(problem);
    }

    // Step 2: one probed row per file; rows that cannot be read are left out.
    std::vector<TaskSource> sources;
    int unreadable = 0;
    {
        ConsoleObserver observer(console, true);
        RowLoader loader(observer);
        for (size_t i = 0; i < scan.files.size(); ++i) {
            const std::string& path = scan.files[i];
            if (InterruptSignal::Raised()) {
                console.Error("interrupted while reading the files; nothing was converted");
                return ExitInterrupted;
            }
            auto row = loader.Load(path);
            row->entry.baseFolder = scan.baseFolders[i];
            if (row->entry.unreadable) {
                console.Error(Format("skipping '%s': it cannot be read as %s audio", path.c_str(),
                                     UpperExtension(path).c_str()));
                unreadable += 1;
                continue;
            }
            sources.push_back(MakeTaskSource(*row));
        }
    }
    if (InterruptSignal::Raised()) {
        console.Error("interrupted while reading the files; nothing was converted");
        return ExitInterrupted;
    }
    if (sources.empty()) {
        console.Error("nothing to convert");
        return ExitFailed;
    }

    // Step 3: the tasks, prepared exactly as the window prepares them, run on the pipelines.
    // The batch keeps the only list; the sources are freed once the tasks are made of them.
    PreparedBatch prepared = PrepareBatch(sources, settings);
    std::vector<TaskSource>().swap(sources);
    const int total = static_cast<int>(prepared.tasks.size());
    const bool usesWma = BatchUsesWma(prepared.tasks, settings);
    const int jobs = PipelinesFor(line.jobs.value_or(settings.OUTPUT.Jobs));
    const std::string programFolder = ProgramFolder();
    NullObserver quiet;
    ParallelBatch batch(
        std::move(prepared), settings, jobs, line.keepGoing,
        [&console](int, int n) {
            // One pipeline logs as it goes; several hold each file's lines until it ends.
            return std::make_unique<ConsoleObserver>(console, n == 1);
        },
        [usesWma, &programFolder, &quiet](PipelineContext& ctx, ConversionObserver& observer,
                                          int i) {
            // A missing component or preset file is told once, not once per pipeline.
            if (usesWma) {
                SetUpWmaPipeline(ctx, programFolder, i == 0 ? observer : quiet);
            }
        });
    ConsoleObserver closing(console, true);
    bool interruptSent = false;
    const BatchReport report = batch.Run(closing, [&] {
        if (!interruptSent && InterruptSignal::Raised()) {
            interruptSent = true;
            batch.Interrupt();
        }
        if (console.StatusEnabled()) {
            console.SetStatus(BatchStatusLine(batch.Snapshot(), TickCount(), TerminalWidth()));
        }
    });
    console.ClearStatus();

    // Step 4: what did not work, once more at the end where it cannot scroll away.
    if (!report.failedSources.empty()) {
        console.Error(Format(
            report.interrupted ? "%zu of %d files were cut short:" : "%zu of %d files failed:",
            report.failedSources.size(), total));
        for (const auto& source : report.failedSources) {
            console.Error("  " + source);
        }
    }
    if (report.interrupted) {
        console.Error(
            Format("interrupted; %d of %d files were not started", report.notStarted, total));
        return ExitInterrupted;
    }
    if (report.notStarted > 0) {
        console.Error(
            Format("stopped after the failure; %d of %d files were not started "
                   "(--keep-going converts the others)",
                   report.notStarted, total));
    }
    // Files left out before the batch make the run incomplete too; say so where it shows.
    if (unreadable > 0) {
        console.Error(Format("%d file(s) could not be read and were skipped", unreadable));
    }
    const bool allDone = report.failedSources.empty() && report.notStarted == 0;
    const int status = allDone && unreadable == 0 && !scan.missingPath ? ExitOk : ExitFailed;
    if (report.leftBehind > 0) {
        // A thread stuck in a codec call may come back at any time, also while the process is
        // torn down: the process ends here, without the teardown.
        console.Error(Format("%d file(s) had a stage that would not end; it was left behind",
                             report.leftBehind));
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

}  // namespace tonquill
