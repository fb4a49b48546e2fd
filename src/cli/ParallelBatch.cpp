#include "cli/ParallelBatch.h"

#include <algorithm>
#include <mutex>

#include "base/Format.h"
#include "base/Tick.h"
#include "convert/BatchDriver.h"

namespace tonquill {

struct ParallelBatch::Job {
    Job(Console& console, bool live) : observer(console, live), ctx(observer) {}
    ConsoleObserver observer;
    PipelineContext ctx;
    std::atomic<int> current{-1};
    std::thread thread;
    int converted = 0;
    std::vector<int> failed;
};

ParallelBatch::ParallelBatch(
    PreparedBatch batch, const ConversionSettings& settings, int jobs, bool keepGoing,
    Console& console,
    const std::function<void(PipelineContext&, ConversionObserver&)>& setupContext)
    : tasks_(std::move(batch.tasks)),
      overallTotal_(batch.overallSamplesTotal),
      keepGoing_(keepGoing),
      console_(console) {
    const int count = std::max(1, std::min(jobs, static_cast<int>(tasks_.size())));
    for (int i = 0; i < count; ++i) {
        // One pipeline logs as it goes; several hold each task's lines until it ends.
        auto job = std::make_unique<Job>(console, count == 1);
        PipelineContext& ctx = job->ctx;
        // The pipelines share tasks_; their contexts hold no list of their own.
        ctx.OverallSamplesTotal = overallTotal_;
        ctx.Settings = settings;
        ctx.StartDelayMs = 0;
        ctx.ResetForBatch();
        if (setupContext) {
            setupContext(ctx, job->observer);
        }
        jobs_.push_back(std::move(job));
    }
}

ParallelBatch::~ParallelBatch() {
    Interrupt();
    for (auto& job : jobs_) {
        if (job->thread.joinable()) {
            job->thread.join();
        }
    }
}

void ParallelBatch::JobMain(Job& job) {
    PipelineContext& ctx = job.ctx;
    const int count = static_cast<int>(tasks_.size());
    for (;;) {
        // Armed before the stop check, so an interrupt between the two is never lost.
        ctx.Running.store(1, std::memory_order_release);
        if (stopStarting_.load()) {
            break;
        }
        const int index = next_.fetch_add(1);
        if (index >= count) {
            break;
        }
        // An interrupt between the check above and taking the index has cleared Running: the
        // task is left unstarted (no output claimed, no log) rather than begun and cut short.
        if (!ctx.IsRunning()) {
            abandoned_ += 1;
            break;
        }
        ctx.TaskIndex = index;
        job.current = index;
        const TaskOutcome outcome =
            RunBatchTask(ctx, tasks_[static_cast<size_t>(index)], index + 1, count);
        job.observer.Flush();
        job.current = -1;
        if (outcome == TaskOutcome::Converted) {
            job.converted += 1;
        } else {
            job.failed.push_back(index);
            if (!keepGoing_) {
                stopStarting_ = true;
            }
        }
    }
    ctx.Stop();
    job.observer.Flush();
    {
        std::lock_guard lock(finishMutex_);
        finished_ += 1;
    }
    finishedChanged_.notify_all();
}

BatchReport ParallelBatch::Run(const std::function<void()>& poll) {
    startTick_ = TickCount();
    for (auto& job : jobs_) {
        job->ctx.BatchStartTick = startTick_;
        job->ctx.Observer().BatchStarted();
        Job* raw = job.get();
        job->thread = std::thread([this, raw] { JobMain(*raw); });
    }
    for (;;) {
        if (poll) {
            poll();
        }
        std::unique_lock lock(finishMutex_);
        if (finishedChanged_.wait_for(lock, std::chrono::milliseconds(100), [this] {
                return finished_ == static_cast<int>(jobs_.size());
            })) {
            break;
        }
    }
    double audioSeconds = 0.0;
    BatchReport report;
    std::vector<int> failed;
    for (auto& job : jobs_) {
        job->thread.join();
        report.converted += job->converted;
        failed.insert(failed.end(), job->failed.begin(), job->failed.end());
        audioSeconds += job->ctx.OverallAudioSeconds.load();
    }
    std::sort(failed.begin(), failed.end());
    for (int index : failed) {
        report.failedSources.push_back(tasks_[static_cast<size_t>(index)].SourcePath);
    }
    const int count = static_cast<int>(tasks_.size());
    report.notStarted = std::max(0, count - std::min(next_.load(), count)) + abandoned_.load();
    report.interrupted = interrupted_.load();

    // The batch's closing lines, as the window's batch writes them after its last task.
    if (failed.empty() && report.notStarted == 0 && !report.interrupted && count > 1) {
        const double elapsed = static_cast<uint32_t>(TickCount() - startTick_) / 1000.0;
        const double speed = elapsed > 0 ? audioSeconds / elapsed : 0.0;
        console_.WriteLines(
            {Console::Stamp(SeparatorLine, LogLevel::Info),
             Console::Stamp(
                 Format("Total time elapsed %.2f secs, overall speed %.2fx.", elapsed, speed),
                 LogLevel::Info)});
    }
    return report;
}

void ParallelBatch::Interrupt() {
    interrupted_ = true;
    stopStarting_ = true;
    for (auto& job : jobs_) {
        job->ctx.Stop();
    }
}

std::string ParallelBatch::StatusText(int width) const {
    uint64_t done = 0;
    double audioSeconds = 0.0;
    std::string files;
    int running = 0;
    for (const auto& job : jobs_) {
        done += job->ctx.OverallSamplesDone.load();
        audioSeconds += job->ctx.OverallAudioSeconds.load();
        const int index = job->current.load();
        if (index >= 0) {
            const uint64_t estimated = tasks_[static_cast<size_t>(index)].EstimatedSamples;
            const double part =
                estimated ? std::min(1.0, static_cast<double>(job->ctx.TaskSamplesDone.load()) /
                                              static_cast<double>(estimated))
                          : 0.0;
            files += Format(" %3.0f%%", part * 100.0);
            running += 1;
        }
    }
    const double overall =
        overallTotal_
            ? std::min(1.0, static_cast<double>(done) / static_cast<double>(overallTotal_))
            : 0.0;
    const double elapsed = static_cast<uint32_t>(TickCount() - startTick_) / 1000.0;
    const double speed = elapsed > 0 ? audioSeconds / elapsed : 0.0;
    std::string left = "--:--";
    if (overall > 0.001) {
        const long seconds = static_cast<long>(elapsed * (1.0 - overall) / overall + 0.5);
        left = Format("%ld:%02ld", seconds / 60, seconds % 60);
    }
    const int started = std::min(next_.load(), static_cast<int>(tasks_.size()));
    const std::string tail =
        Format(" %5.1f%%  %d/%zu  file%s  %.1fx  %s left", overall * 100.0, started, tasks_.size(),
               running ? files.c_str() : " -", speed, left.c_str());
    const int barWidth = std::clamp(width - static_cast<int>(tail.size()) - 3, 0, 30);
    std::string bar;
    if (barWidth >= 5) {
        const int filled = static_cast<int>(overall * barWidth);
        bar = "[" + std::string(static_cast<size_t>(filled), '=') +
              std::string(static_cast<size_t>(barWidth - filled), ' ') + "]";
    }
    std::string text = bar + tail;
    if (static_cast<int>(text.size()) > width - 1) {
        text.resize(static_cast<size_t>(std::max(0, width - 1)));
    }
    return text;
}

}  // namespace tonquill
