#include "convert/PipelineContext.h"

#include <mpg123.h>

#include "base/Tick.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill {

PipelineContext::PipelineContext(ConversionObserver& observer, uint32_t ringCapacity)
    : DecodedRing(ringCapacity), ProcessedRing(ringCapacity), observer_(&observer) {
    int error = MPG123_OK;
    Mp3DecodeHandle = mpg123_new(nullptr, &error);
}

PipelineContext::~PipelineContext() {
    Stop();
    EncoderThread.Join();
    ProcessorThread.Join();
    if (Mp3DecodeHandle) {
        mpg123_delete(Mp3DecodeHandle);
    }
}

void PipelineContext::PostLog(const std::string& text, LogLevel level) const {
    if (level == LogLevel::Error) {
        std::lock_guard lock(taskErrorMutex_);
        if (firstTaskError_.empty()) {
            firstTaskError_ = text;
        }
    }
    Observer().Log(text, level);
}

void PipelineContext::ShowMessage(const std::string& text, MessageIcon icon) {
    awaitingAnswer_.fetch_add(1, std::memory_order_acq_rel);
    Observer().Message(text, icon);
    awaitingAnswer_.fetch_sub(1, std::memory_order_acq_rel);
}

void PipelineContext::PostFileError(const std::string& text, const std::string& path,
                                    int error) const {
    {
        std::lock_guard lock(taskErrorMutex_);
        if (firstTaskError_.empty()) {
            firstTaskError_ = FileErrorText(text, path, error);
        }
    }
    Observer().LogFileError(text, path, error);
}

void PipelineContext::PostOutputWriteError(const std::string& path, int error) {
    outputWriteFailed_.store(true, std::memory_order_release);
    PostFileError("Output file write error", path, error);
    Stop();
}

void PipelineContext::BeginTaskRecord() {
    std::lock_guard lock(taskErrorMutex_);
    firstTaskError_.clear();
    outputWriteFailed_.store(false, std::memory_order_release);
}

void PipelineContext::OpenTask(const std::string& output) {
    {
        std::lock_guard lock(taskErrorMutex_);
        taskOutput_ = output;
    }
    taskHold_.store(TaskHold::Open, std::memory_order_release);
}

std::string PipelineContext::TaskOutput() const {
    std::lock_guard lock(taskErrorMutex_);
    return taskOutput_;
}

std::string PipelineContext::FirstTaskError() const {
    std::lock_guard lock(taskErrorMutex_);
    return firstTaskError_;
}

void PipelineContext::LoadBatch(const PreparedBatch& batch) {
    Tasks = batch.tasks;
    OverallSamplesTotal = batch.overallSamplesTotal;
    LeftOut = batch.leftOut;
}

void PipelineContext::ResetForBatch() {
    Running = 0;
    Paused = 0;
    Cancelled = 0;
    OverallSamplesDone = 0;
    TaskSamplesDone = 0;
    OverallAudioSeconds = 0.0;
    TaskAudioSeconds = 0.0;
    TaskIndex = 0;
}

bool WaitForRoom(const PipelineContext& ctx, const SampleRing& ring, uint32_t n) {
    if (n > ring.Capacity()) {
        return false;
    }
    while (ctx.IsRunning()) {
        if (ring.FreeSpace() >= n) {
            return true;
        }
        SleepMs(1);
    }
    return false;
}

}  // namespace tonquill
