#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/ConversionObserver.h"
#include "convert/ConversionTask.h"
#include "convert/RingBuffer.h"
#include "convert/WorkerThread.h"
#include "settings/ConversionSettings.h"

struct mpg123_handle_struct;

namespace tonquill {

class WmaComponent;

// Everything one pipeline shares between its stages: the batch and its flags and counters, the
// current task, the two rings, the settings the batch runs with and the codec handles. The
// window owns one; the command-line front end makes one per parallel job.
class PipelineContext {
public:
    explicit PipelineContext(ConversionObserver& observer,
                             uint32_t ringCapacity = PipelineRingCapacity);
    ~PipelineContext();
    PipelineContext(const PipelineContext&) = delete;
    PipelineContext& operator=(const PipelineContext&) = delete;

    // The observer may be changed while stages run: a batch silences a pipeline it leaves behind.
    ConversionObserver& Observer() const { return *observer_.load(std::memory_order_acquire); }
    void SetObserver(ConversionObserver& observer) {
        observer_.store(&observer, std::memory_order_release);
    }
    void PostLog(const std::string& text, LogLevel level) const;
    // Shows a message and waits for the person; the batch's watch does not count that time.
    void ShowMessage(const std::string& text, MessageIcon icon);
    bool AwaitingAnswer() const { return awaitingAnswer_.load(std::memory_order_acquire) > 0; }
    // An error line about path, which the system refused with errno value error.
    void PostFileError(const std::string& text, const std::string& path, int error) const;
    // A stage's failure, the one way every stage reports one: the error line (the task's cause
    // when it is the first) and the stop of the task.
    void FailTask(const std::string& line) {
        PostLog(line, LogLevel::Error);
        Stop();
    }
    // The same for a file or folder the system refused, with its reason (PostFileError).
    void FailTaskOnFile(const std::string& text, const std::string& path, int error) {
        PostFileError(text, path, error);
        Stop();
    }
    // A write to the output at path failed with errno value error: logs it with the system's
    // reason and stops the task, whose unfinished output the driver then removes.
    void PostOutputWriteError(const std::string& path, int error);

    // A task's own record of what went wrong, cleared as it starts: its first error line (the
    // cause its last line repeats) and whether its output could not be written.
    void BeginTaskRecord();
    std::string FirstTaskError() const;
    bool OutputWriteFailed() const { return outputWriteFailed_.load(std::memory_order_acquire); }

    // Who has the task in hand. The driver opens it once its output name is claimed and closes
    // it when its stages have ended. A batch whose stage will not end leaves the task behind
    // instead: it answers for the file itself, and the pipeline's thread, should it ever come
    // back, touches neither the batch nor the file system again. Exactly one of the two wins.
    void OpenTask(const std::string& output);
    bool CloseTask() { return SwapTaskHold(TaskHold::Closed); }
    bool LeaveTaskBehind() { return SwapTaskHold(TaskHold::LeftBehind); }
    bool IsLeftBehind() const {
        return taskHold_.load(std::memory_order_acquire) == TaskHold::LeftBehind;
    }
    // The output the open task writes.
    std::string TaskOutput() const;

    // Takes a prepared batch's tasks and total.
    void LoadBatch(const PreparedBatch& batch);
    // Clears the flags and counters a batch starts from (the task list and total stay).
    void ResetForBatch();
    bool IsRunning() const { return Running.load(std::memory_order_acquire) != 0; }
    void Stop() { Running.store(0, std::memory_order_release); }
    // The person's cancel: the batch stops as Stop() stops it, and a file cut short says so.
    void Cancel() {
        Cancelled.store(1, std::memory_order_release);
        Stop();
    }
    bool IsCancelled() const { return Cancelled.load(std::memory_order_acquire) != 0; }

    // The batch: its stop and pause flags, counters and threads.
    std::atomic<int32_t> Running{0};
    std::atomic<int32_t> Paused{0};
    std::atomic<int32_t> Cancelled{0};
    std::atomic<uint64_t> OverallSamplesDone{0};
    std::atomic<uint64_t> TaskSamplesDone{0};
    uint64_t OverallSamplesTotal = 0;
    std::atomic<double> OverallAudioSeconds{0.0};
    std::atomic<double> TaskAudioSeconds{0.0};
    std::atomic<int32_t> TaskIndex{0};
    std::atomic<uint32_t> TaskStartTick{0};
    std::atomic<uint32_t> BatchStartTick{0};
    std::vector<CConversionTask> Tasks;
    // The chosen sources the batch leaves out because they cannot be read.
    std::vector<LeftOutSource> LeftOut;
    WorkerThread EncoderThread;
    WorkerThread ProcessorThread;

    // How long the batch waits before its first task, so its window can appear first.
    unsigned StartDelayMs = 500;
    // How long the driver waits for a task's workers once its decoder has ended, not counting
    // time spent paused.
    unsigned JoinBoundMs = 10000;
    // The batch's watch over a running task (not counting time paused or waiting for the
    // person): a task through which no audio has moved for StallBoundMs is stopped, and one
    // whose stages have not ended StopGraceMs after a stop is left behind.
    unsigned StallBoundMs = 30000;
    unsigned StopGraceMs = 5000;

    // The settings the batch converts with; set before the batch starts, read by the stages.
    ConversionSettings Settings;

    CConversionTask* CurrentTask = nullptr;
    SampleRing DecodedRing;
    SampleRing ProcessedRing;

    // The MP3 decoding handle, the WMA reader and the WMA writer live as long as the context.
    mpg123_handle_struct* Mp3DecodeHandle = nullptr;
    std::unique_ptr<WmaComponent> WmaReader;
    std::unique_ptr<WmaComponent> WmaWriter;

private:
    enum class TaskHold { Closed, Open, LeftBehind };
    bool SwapTaskHold(TaskHold to) {
        TaskHold expected = TaskHold::Open;
        return taskHold_.compare_exchange_strong(expected, to, std::memory_order_acq_rel);
    }

    std::atomic<ConversionObserver*> observer_;
    std::atomic<int> awaitingAnswer_{0};
    std::atomic<TaskHold> taskHold_{TaskHold::Closed};
    std::string taskOutput_;             // under taskErrorMutex_
    mutable std::mutex taskErrorMutex_;  // the stages log from their own threads
    mutable std::string firstTaskError_;
    std::atomic<bool> outputWriteFailed_{false};
};

// The producer rule: waits in 1 ms sleeps until ring has room for n samples. False when the
// batch stops first, or when n can never fit.
bool WaitForRoom(const PipelineContext& ctx, const SampleRing& ring, uint32_t n);

}  // namespace tonquill
