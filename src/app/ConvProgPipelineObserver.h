#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "app/ConvProgEvents.h"
#include "convert/ParallelBatch.h"

namespace tonquill {

class ConvProgObserver;

// The observer of one of several pipelines the progress window runs. It holds a file's log
// lines and hands them to the window in one piece when the file ends, tells the window which
// file it converts, and passes messages on. Progress and captions it drops: the window reads the
// figures of all pipelines together.
class ConvProgPipelineObserver : public PipelineObserver {
public:
    ConvProgPipelineObserver(ConvProgObserver& window, int pipeline)
        : window_(window), pipeline_(pipeline) {}

    void Log(const std::string& text, LogLevel level) override;
    void Progress(float, float, bool) override {}
    void Done() override {}
    void Caption(const std::string&) override {}
    void Paths(const std::string& source, const std::string& destination) override;
    void Message(const std::string& text, MessageIcon icon) override;
    void TaskEnded() override;

private:
    ConvProgObserver& window_;
    const int pipeline_;
    std::mutex mutex_;
    std::vector<ConvLogLine> held_;
};

}  // namespace tonquill
