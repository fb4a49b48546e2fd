#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/ConversionObserver.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

struct BatchReport {
    int converted = 0;
    std::vector<std::string> failedSources;
    int notStarted = 0;
    bool interrupted = false;
    // Pipelines whose stage would not end: their files are among the failed ones and their
    // threads are left running, stuck, holding nothing of the batch's.
    int leftBehind = 0;
};

// The observer of one pipeline of a parallel batch. TaskEnded comes on the pipeline's thread
// after the last report of each task: a front end that holds a task's log lines writes them
// there in one piece, so the logs of files converted side by side never interleave.
class PipelineObserver : public ConversionObserver {
public:
    virtual void TaskEnded() {}
};

// What a front end shows of a running parallel batch, read at one moment.
struct ParallelBatchSnapshot {
    // The file the "current" figures follow: among the running ones, the one that started
    // first (the lowest task index, since tasks are taken in list order). -1 between files.
    int currentPipeline = -1;
    int currentTask = -1;
    float taskPercent = 0;
    double taskAudioSeconds = 0;
    uint32_t taskStartTick = 0;
    // The whole batch, every pipeline counted.
    float overallPercent = 0;
    double overallAudioSeconds = 0;
    uint32_t batchStartTick = 0;
    int started = 0;  // tasks taken so far
    int count = 0;    // tasks in the batch
    // The percentage of each running file, in pipeline order.
    std::vector<float> runningPercents;
};

// How many pipelines the OUTPUT/Jobs setting asks for: 0 (or a value below it) means one per
// processor core this process may run on; larger values are capped at MaxPipelines.
constexpr int MaxPipelines = 16;
int PipelinesFor(int jobsSetting);
// The processor cores this process may run on (its affinity mask), at least 1.
int UsableCores();

// Runs a prepared batch on N independent pipelines: the one batch runner of both front ends,
// one pipeline being its simplest case. Each pipeline has its own context (rings, codec handles,
// flags) and takes the next task in list order. A failed task stops new tasks from starting
// unless keepGoing is set; tasks already running on other pipelines still finish.
//
// The batch watches every running task (see PipelineContext::StallBoundMs): one through which
// no audio moves is stopped, and one whose stages do not end after a stop is left behind: the
// batch logs it as failed, silences its pipeline and goes on without it, so a codec call that
// never returns holds neither the batch nor the window.
class ParallelBatch {
public:
    // makeObserver gives pipeline number i (of n) its observer. setupContext runs once per
    // pipeline before its first task (codec components, presets), with the pipeline's observer
    // and number.
    using ObserverFactory = std::function<std::unique_ptr<PipelineObserver>(int i, int n)>;
    using ContextSetup = std::function<void(PipelineContext&, ConversionObserver&, int i)>;

    ParallelBatch(PreparedBatch batch, const ConversionSettings& settings, int pipelines,
                  bool keepGoing, const ObserverFactory& makeObserver,
                  const ContextSetup& setupContext = {});
    // One pipeline over the caller's own context as it is prepared (tasks, settings, flags,
    // Running set), for tests that shape a context themselves. The context is not the batch's
    // to leave behind: a stuck stage is stopped and then waited for.
    explicit ParallelBatch(PipelineContext& ctx);
    ~ParallelBatch();
    ParallelBatch(const ParallelBatch&) = delete;
    ParallelBatch& operator=(const ParallelBatch&) = delete;

    int Pipelines() const { return static_cast<int>(jobs_.size()); }

    // Converts every task, calling poll about ten times a second on the calling thread while the
    // pipelines run. When every task converted and there were several, the batch's closing
    // lines (the separator and the total time and speed) go to batchLog.
    BatchReport Run(ConversionObserver& batchLog, const std::function<void()>& poll = {});

    // Safe from any thread: running tasks end as a cancel ends them, nothing else starts.
    void Interrupt();
    // Pauses or resumes every pipeline.
    void SetPaused(bool paused);

    ParallelBatchSnapshot Snapshot() const;

private:
    struct Job;
    void JobMain(Job& job);
    // One look of the watch at a pipeline, every poll of Run.
    void Watch(Job& job);
    void LeaveBehind(Job& job, int index);
    void FinishJob();

    std::vector<CConversionTask> tasks_;
    uint64_t overallTotal_;
    bool keepGoing_;
    std::vector<std::unique_ptr<Job>> jobs_;
    std::atomic<int> next_{0};
    std::mutex finishMutex_;
    std::condition_variable finishedChanged_;
    int finished_ = 0;               // pipelines that have ended, under finishMutex_
    std::atomic<int> abandoned_{0};  // tasks taken but not begun because of an interrupt
    int leftBehind_ = 0;             // pipelines left behind, on the thread running Run
    std::mutex startMutex_;          // taking a task against raising stopStarting_
    std::atomic<bool> stopStarting_{false};
    std::atomic<bool> interrupted_{false};
    std::atomic<uint32_t> startTick_{0};
};

}  // namespace tonquill
