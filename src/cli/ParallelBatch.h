#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/Console.h"
#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

struct BatchReport {
    int converted = 0;
    std::vector<std::string> failedSources;
    int notStarted = 0;
    bool interrupted = false;
};

// Runs a prepared batch on N independent pipelines. Each pipeline has its own context (rings,
// codec handles, flags) and takes the next task in list order, converting it exactly as the
// window's batch does. A failed task stops the batch unless keepGoing is set; tasks already
// running on other pipelines still finish.
class ParallelBatch {
public:
    // setupContext runs once per pipeline before its first task (codec components, presets).
    ParallelBatch(PreparedBatch batch, const ConversionSettings& settings, int jobs, bool keepGoing,
                  Console& console,
                  const std::function<void(PipelineContext&, ConversionObserver&)>& setupContext);
    ~ParallelBatch();
    ParallelBatch(const ParallelBatch&) = delete;
    ParallelBatch& operator=(const ParallelBatch&) = delete;

    // Converts every task, calling poll about ten times a second on the calling thread while the
    // pipelines run (the caller watches for Ctrl-C there and draws the status line).
    BatchReport Run(const std::function<void()>& poll);

    // Safe from the polling thread: running tasks end as a cancel ends them, nothing else starts.
    void Interrupt();

    // "[=====>    ]  45.1%  3/10  file 62%  12.3x  0:42 left", at most width characters.
    std::string StatusText(int width) const;

private:
    struct Job;
    void JobMain(Job& job);

    std::vector<CConversionTask> tasks_;
    uint64_t overallTotal_;
    bool keepGoing_;
    Console& console_;
    std::vector<std::unique_ptr<Job>> jobs_;
    std::atomic<int> next_{0};
    std::atomic<int> abandoned_{0};  // tasks taken but not begun because of an interrupt
    std::mutex finishMutex_;
    std::condition_variable finishedChanged_;
    int finished_ = 0;  // pipelines that have ended, under finishMutex_
    std::atomic<bool> stopStarting_{false};
    std::atomic<bool> interrupted_{false};
    uint32_t startTick_ = 0;
};

}  // namespace tonquill
