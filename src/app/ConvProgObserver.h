#pragma once

#include <QPointer>
#include <atomic>

#include "app/ConvProgEvents.h"
#include "base/ConversionObserver.h"

class QObject;

namespace tonquill {

// Turns the core's reports into events posted to the progress window, from whichever thread
// they come. Reports that must be seen before the worker goes on (the last progress of a file,
// a message box) wait until the window has handled them, or until the window lets go.
class ConvProgObserver : public ConversionObserver {
public:
    explicit ConvProgObserver(QObject* window);

    void Log(const std::string& text, LogLevel level) override;
    void Progress(float taskPercent, float overallPercent, bool synchronous) override;
    void BatchStarted() override;
    void Done() override;
    void Stopped() override;
    void Caption(const std::string& text) override;
    void Paths(const std::string& source, const std::string& destination) override;
    void Message(const std::string& text, MessageIcon icon) override;

    // From a pipeline of several: the lines of a file that has ended, and the paths of the file
    // it has begun.
    void LogBlock(std::vector<ConvLogLine> lines);
    void PipelinePaths(int pipeline, const std::string& source, const std::string& destination);

    // After this no worker waits for the window any more (it is closing).
    void Release() { released_.store(true, std::memory_order_release); }

private:
    void Post(QEvent* event);
    void Wait(const HandledFlag& handled) const;

    QObject* window_;
    std::atomic<bool> released_{false};
};

}  // namespace tonquill
