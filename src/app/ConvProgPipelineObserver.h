#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/ConvProgEvents.h"
#include "convert/ParallelBatch.h"

namespace tonquill {

class ConvProgObserver;

// The observer of one pipeline the progress window runs. Of several, it holds a file's log lines
// and hands them to the window in one piece when the file ends and tells the window which file
// it converts; progress and captions it drops, as the window reads the figures of all pipelines
// together. The only pipeline of a batch (live) passes everything on as it comes. It shares the
// window's observer, which a pipeline left behind may outlive the window with.
class ConvProgPipelineObserver : public PipelineObserver {
public:
    ConvProgPipelineObserver(std::shared_ptr<ConvProgObserver> window, int pipeline, bool live)
        : window_(std::move(window)), pipeline_(pipeline), live_(live) {}

    void Log(const std::string& text, LogLevel level) override;
    void Progress(float taskPercent, float overallPercent, bool synchronous) override;
    void Done() override {}
    void Caption(const std::string& text) override;
    void Paths(const std::string& source, const std::string& destination) override;
    void Message(const std::string& text, MessageIcon icon) override;
    void TaskEnded() override;

private:
    const std::shared_ptr<ConvProgObserver> window_;
    const int pipeline_;
    const bool live_;
    std::mutex mutex_;
    std::vector<ConvLogLine> held_;
};

}  // namespace tonquill
