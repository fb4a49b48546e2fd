#include "convert/ParallelBatch.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

#include <sched.h>

#include "base/Format.h"
#include "base/Tick.h"
#include "convert/BatchDriver.h"

namespace tonquill {

int UsableCores() {
    // The affinity mask, not the machine's count: a container or `taskset` may give this process
    // fewer cores than the machine has, and more pipelines than cores only compete.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) {
            return count;
        }
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

int PipelinesFor(int jobsSetting) {
    if (jobsSetting <= 0) {
        return std::clamp(UsableCores(), 1, MaxPipelines);
    }
    return std::min(jobsSetting, MaxPipelines);
}

namespace {

// "1 second", "30 seconds": a bound in milliseconds, rounded up.
std::string SecondsText(unsigned ms) {
    const unsigned seconds = (ms + 999) / 1000;
    return Format(seconds == 1 ? "%u second" : "%u seconds", seconds);
}

}  // namespace

struct ParallelBatch::Job {
    explicit Job(std::unique_ptr<PipelineObserver> made)
        : observer(std::move(made)),
          owned(std::make_unique<PipelineContext>(*observer)),
          ctx(*owned) {}
    explicit Job(PipelineContext& borrowed) : ctx(borrowed) {}
    std::unique_ptr<PipelineObserver> observer;  // none for a borrowed context
    std::unique_ptr<PipelineContext> owned;
    PipelineContext& ctx;
    std::atomic<int> current{-1};
    std::thread thread;
    int converted = 0;
    std::vector<int> failed;
    // The watch's record of the running task, on the thread running Run.
    struct {
        int task = -1;
        uint64_t moved = 0;
        uint32_t lastTick = 0;
        uint64_t stalledMs = 0;
        uint64_t stoppedMs = 0;
    } watch;
};

ParallelBatch::ParallelBatch(PreparedBatch batch, const ConversionSettings& settings, int pipelines,
                             bool keepGoing, const ObserverFactory& makeObserver,
                             const ContextSetup& setupContext)
    : tasks_(std::move(batch.tasks)),
      overallTotal_(batch.overallSamplesTotal),
      keepGoing_(keepGoing) {
    const int count = std::max(1, std::min(pipelines, static_cast<int>(tasks_.size())));
    for (int i = 0; i < count; ++i) {
        auto job = std::make_unique<Job>(makeObserver(i, count));
        PipelineContext& ctx = job->ctx;
        // The pipelines share tasks_; their contexts hold no list of their own.
        ctx.OverallSamplesTotal = overallTotal_;
        ctx.Settings = settings;
        ctx.StartDelayMs = 0;
        ctx.ResetForBatch();
        if (setupContext) {
            setupContext(ctx, *job->observer, i);
        }
        jobs_.push_back(std::move(job));
    }
}

ParallelBatch::ParallelBatch(PipelineContext& ctx)
    : tasks_(ctx.Tasks), overallTotal_(ctx.OverallSamplesTotal), keepGoing_(false) {
    jobs_.push_back(std::make_unique<Job>(ctx));
}

ParallelBatch::~ParallelBatch() {
    // Run has returned (its pipelines have ended) or never ran; a borrowed context is left as
    // its owner will find it.
    for (auto& job : jobs_) {
        if (job->ctx.IsLeftBehind()) {
            // Its thread may yet come back from the call it is stuck in and end its stages: the
            // context, rings and observer it would touch stay for good.
            if (job->thread.joinable()) {
                job->thread.detach();
            }
            static std::mutex keptMutex;
            static auto* const kept = new std::vector<std::unique_ptr<Job>>;
            std::lock_guard lock(keptMutex);
            kept->push_back(std::move(job));
            continue;
        }
        if (job->thread.joinable()) {
            job->thread.join();
        }
    }
}

void ParallelBatch::FinishJob() {
    {
        std::lock_guard lock(finishMutex_);
        finished_ += 1;
    }
    finishedChanged_.notify_all();
}

void ParallelBatch::JobMain(Job& job) {
    PipelineContext& ctx = job.ctx;
    const int count = static_cast<int>(tasks_.size());
    for (;;) {
        // Taking a task and arming the pipeline happen under the lock Interrupt takes to raise
        // stopStarting_. Separate atomics would let the store of Running and the load of the
        // flag pass each other, and an interrupt falling between them would be overwritten, the
        // file then running to its end. With the lock an interrupt comes either before (no task
        // is taken) or after (its Stop() clears this Running). A borrowed context is armed by
        // its owner, whose stop between two tasks ends the batch.
        int index = count;
        {
            std::lock_guard lock(startMutex_);
            if (!stopStarting_.load() && (job.owned || ctx.IsRunning())) {
                index = next_.fetch_add(1);
                ctx.Running.store(1, std::memory_order_release);
            }
        }
        if (index >= count) {
            break;
        }
        // An interrupt since then has cleared Running: the task is left unstarted (no output
        // claimed, no log) rather than begun and cut short.
        if (!ctx.IsRunning()) {
            abandoned_ += 1;
            break;
        }
        ctx.TaskIndex = index;
        // The figures of the previous file must not show as this one's.
        ctx.TaskSamplesDone = 0;
        ctx.TaskAudioSeconds = 0.0;
        ctx.TaskStartTick = TickCount();
        job.current = index;
        const TaskOutcome outcome =
            RunBatchTask(ctx, tasks_[static_cast<size_t>(index)], index + 1, count);
        if (ctx.IsLeftBehind()) {
            // The batch has answered for this file and may be gone: nothing of it is touched.
            return;
        }
        if (job.observer) {
            job.observer->TaskEnded();
        }
        job.current = -1;
        if (outcome == TaskOutcome::Converted) {
            job.converted += 1;
        } else {
            job.failed.push_back(index);
            if (!keepGoing_) {
                std::lock_guard lock(startMutex_);
                stopStarting_ = true;
            }
        }
    }
    if (job.owned) {
        ctx.Stop();
        job.observer->TaskEnded();
    }
    FinishJob();
}

void ParallelBatch::Watch(Job& job) {
    auto& w = job.watch;
    const int index = job.current.load();
    const uint32_t now = TickCount();
    PipelineContext& ctx = job.ctx;
    // Audio moved by any stage: the decoder's ring, the rate stage's and the encoder's count.
    const uint64_t moved = ctx.DecodedRing.TotalWritten() + ctx.ProcessedRing.TotalWritten() +
                           ctx.TaskSamplesDone.load();
    if (index < 0 || index != w.task) {
        w = {};
        w.task = index;
        w.moved = moved;
        w.lastTick = now;
        return;
    }
    const uint32_t elapsed = now - w.lastTick;
    w.lastTick = now;
    // Time the person takes (a message, a pause) is not the task's.
    if (ctx.AwaitingAnswer() || (ctx.IsRunning() && ctx.Paused.load() != 0)) {
        return;
    }
    if (!ctx.IsRunning()) {
        w.stoppedMs += elapsed;
        if (w.stoppedMs >= ctx.StopGraceMs && job.owned) {
            LeaveBehind(job, index);
        }
        return;
    }
    if (moved != w.moved) {
        w.moved = moved;
        w.stalledMs = 0;
        return;
    }
    w.stalledMs += elapsed;
    if (w.stalledMs >= ctx.StallBoundMs) {
        w.stalledMs = 0;
        ctx.PostLog(Format("No progress on %s for %s: the file is stopped.",
                           tasks_[static_cast<size_t>(index)].SourcePath.c_str(),
                           SecondsText(ctx.StallBoundMs).c_str()),
                    LogLevel::Error);
        ctx.Stop();
    }
}

void ParallelBatch::LeaveBehind(Job& job, int index) {
    PipelineContext& ctx = job.ctx;
    if (!ctx.LeaveTaskBehind()) {
        return;  // its stages have ended after all and the pipeline is closing the task
    }
    // Whatever the stuck thread says from now on goes nowhere; this pipeline's last lines come
    // from here. The silent observer outlives everything, as the thread may.
    static ConversionObserver* const silent = new NullObserver;
    ctx.SetObserver(*silent);
    job.current = -1;
    leftBehind_ += 1;

    PipelineObserver& log = *job.observer;
    const std::string& source = tasks_[static_cast<size_t>(index)].SourcePath;
    const std::string why =
        Format("A stage converting %s did not end within %s of being stopped; it is left behind.",
               source.c_str(), SecondsText(ctx.StopGraceMs).c_str());
    log.Log(why, LogLevel::Error);
    // The output is unfinished (its writer is stuck mid-file) and goes, as after a failed write;
    // a name claimed before any byte came is given back without a word.
    const std::string output = ctx.TaskOutput();
    std::error_code ec;
    const bool empty = std::filesystem::file_size(output, ec) == 0 && !ec;
    if (!output.empty() && std::filesystem::remove(output, ec) && !empty) {
        log.Log(Format("The unfinished output %s was removed.", output.c_str()), LogLevel::Warning);
    }
    const std::string cause = ctx.FirstTaskError();
    log.Log(
        Format("%s was not converted: %s", source.c_str(), (cause.empty() ? why : cause).c_str()),
        LogLevel::Error);
    log.Log("Converting status: ERROR.", LogLevel::Error);
    log.TaskEnded();

    job.failed.push_back(index);
    if (!keepGoing_) {
        std::lock_guard lock(startMutex_);
        stopStarting_ = true;
    }
    FinishJob();
}

BatchReport ParallelBatch::Run(ConversionObserver& batchLog, const std::function<void()>& poll) {
    startTick_ = TickCount();
    for (auto& job : jobs_) {
        job->ctx.BatchStartTick = startTick_.load();
        job->ctx.Observer().BatchStarted();
        Job* raw = job.get();
        job->thread = std::thread([this, raw] { JobMain(*raw); });
    }
    for (;;) {
        if (poll) {
            poll();
        }
        for (auto& job : jobs_) {
            Watch(*job);
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
        if (!job->ctx.IsLeftBehind()) {
            job->thread.join();
        }
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
    report.leftBehind = leftBehind_;

    // The batch's closing lines, as a batch on one pipeline writes them after its last task.
    if (failed.empty() && report.notStarted == 0 && !report.interrupted && count > 1) {
        const double elapsed = static_cast<uint32_t>(TickCount() - startTick_) / 1000.0;
        const double speed = elapsed > 0 ? audioSeconds / elapsed : 0.0;
        batchLog.Log(SeparatorLine, LogLevel::Info);
        batchLog.Log(Format("Total time elapsed %.2f secs, overall speed %.2fx.", elapsed, speed),
                     LogLevel::Info);
    }
    return report;
}

void ParallelBatch::Interrupt() {
    interrupted_ = true;
    {
        std::lock_guard lock(startMutex_);
        stopStarting_ = true;
    }
    for (auto& job : jobs_) {
        job->ctx.Cancel();
    }
}

void ParallelBatch::SetPaused(bool paused) {
    for (auto& job : jobs_) {
        job->ctx.Paused.store(paused ? 1 : 0, std::memory_order_release);
    }
}

ParallelBatchSnapshot ParallelBatch::Snapshot() const {
    ParallelBatchSnapshot s;
    s.count = static_cast<int>(tasks_.size());
    s.started = std::min(next_.load(), s.count);
    s.batchStartTick = startTick_.load();
    uint64_t done = 0;
    for (size_t i = 0; i < jobs_.size(); ++i) {
        const Job& job = *jobs_[i];
        done += job.ctx.OverallSamplesDone.load();
        s.overallAudioSeconds += job.ctx.OverallAudioSeconds.load();
        const int index = job.current.load();
        if (index < 0) {
            continue;
        }
        const uint64_t estimated = tasks_[static_cast<size_t>(index)].EstimatedSamples;
        const float percent =
            estimated ? static_cast<float>(
                            std::min(1.0, static_cast<double>(job.ctx.TaskSamplesDone.load()) /
                                              static_cast<double>(estimated)) *
                            100.0)
                      : 0.0f;
        s.runningPercents.push_back(percent);
        if (s.currentTask < 0 || index < s.currentTask) {
            s.currentTask = index;
            s.currentPipeline = static_cast<int>(i);
            s.taskPercent = percent;
            s.taskAudioSeconds = job.ctx.TaskAudioSeconds.load();
            s.taskStartTick = job.ctx.TaskStartTick.load();
        }
    }
    s.overallPercent =
        overallTotal_ ? static_cast<float>(std::min(1.0, static_cast<double>(done) /
                                                             static_cast<double>(overallTotal_)) *
                                           100.0)
                      : 0.0f;
    return s;
}

}  // namespace tonquill
