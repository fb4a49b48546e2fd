#pragma once

#include <string>

namespace tonquill {

// Severity of a conversion log line; the values are the ones the log stores per row. A warning
// says the output lacks something of the source (a gap, a cut-off end) while the task goes on.
enum class LogLevel : int { Info = 0, Warning = 1, Error = 2 };

enum class MessageIcon { Information, Warning, Error };

// "TEXT (PATH: REASON)", the reason being the system's text for errno value error ("No space
// left on device"), or "reason unknown" for 0.
std::string FileErrorText(const std::string& text, const std::string& path, int error);

// The only way the core reaches a person. The progress window turns these calls into events on
// its own thread; the command-line front end prints them. Every call may come from any thread.
class ConversionObserver {
public:
    virtual ~ConversionObserver() = default;

    virtual void Log(const std::string& text, LogLevel level) = 0;
    // An error line about a file or folder the system refused (to create, to read, to write),
    // followed by the path and the system's reason (an errno value): FileErrorText.
    virtual void LogFileError(const std::string& text, const std::string& path, int error) {
        Log(FileErrorText(text, path, error), LogLevel::Error);
    }
    // Percentages of the current file and of the whole batch. A synchronous report returns only
    // once it has been shown.
    virtual void Progress(float taskPercent, float overallPercent, bool synchronous) = 0;
    // The batch loop has started (the window starts its one-second timer).
    virtual void BatchStarted() {}
    // The last task of a batch has finished without error.
    virtual void Done() = 0;
    // The batch ended before its last task: a task failed or a stop was asked for. Nothing more
    // is reported for it.
    virtual void Stopped() {}
    virtual void Caption(const std::string& text) = 0;
    virtual void Paths(const std::string& source, const std::string& destination) = 0;
    // Shows a message and returns once the person has acknowledged it.
    virtual void Message(const std::string& text, MessageIcon icon) = 0;
};

// For a listener outside a batch's window (start-up, loading, a terminal): only log lines and
// messages matter to it; progress, the end of a batch, captions and paths are dropped.
class LogAndMessageObserver : public ConversionObserver {
public:
    void Progress(float, float, bool) override {}
    void Done() override {}
    void Caption(const std::string&) override {}
    void Paths(const std::string&, const std::string&) override {}
};

// Drops everything it is told: for callers that judge the core by what it returns and leaves
// behind (benchmarks, fuzzing), where a record growing with every file would only cost time and
// memory.
class NullObserver : public LogAndMessageObserver {
public:
    void Log(const std::string&, LogLevel) override {}
    void Message(const std::string&, MessageIcon) override {}
};

}  // namespace tonquill
