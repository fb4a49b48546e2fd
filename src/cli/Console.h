#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "base/ConversionObserver.h"
#include "convert/ParallelBatch.h"

namespace tonquill {

// One log line as the core reported it, with the local time it was reported at.
struct TimedLine {
    std::string text;
    LogLevel level;
    int hour, minute, second;
};

// The terminal: numbered, timed log lines (information to standard output, errors to standard
// error) and one live status line at the bottom of standard error. Lines from several pipelines
// arrive here; each block is written whole, and the status line is cleared first and drawn again
// afterwards, so neither tears the other.
class Console {
public:
    Console(std::FILE* out, std::FILE* err, bool quiet);

    static TimedLine Stamp(const std::string& text, LogLevel level);
    // "001 12:34:56 text", as the progress window numbers its rows.
    static std::string LogLine(int number, const TimedLine& line);

    void WriteLines(const std::vector<TimedLine>& lines);
    // A message of the program itself (not a numbered log line), to standard error.
    void Error(const std::string& text);
    void Note(const std::string& text);

    // The status line, drawn only when standard error is a terminal and output is not quiet.
    bool StatusEnabled() const { return statusEnabled_; }
    void SetStatus(const std::string& text);
    void ClearStatus();

private:
    void HideStatusLocked();
    void ShowStatusLocked();

    std::FILE* out_;
    std::FILE* err_;
    bool quiet_;
    bool statusEnabled_;
    std::mutex mutex_;
    int lineNumber_ = 0;
    std::string status_;
    bool statusShown_ = false;
};

// The observer of one pipeline. With live set, each line goes to the console at once; otherwise
// the lines of a task are held until Flush, so parallel tasks do not interleave their logs.
class ConsoleObserver : public PipelineObserver {
public:
    ConsoleObserver(Console& console, bool live) : console_(console), live_(live) {}

    void Log(const std::string& text, LogLevel level) override;
    // The line as the window shows it, then the path and the system's reason.
    void Progress(float, float, bool) override {}
    void Done() override {}
    void Caption(const std::string&) override {}
    void Paths(const std::string&, const std::string&) override {}
    void Message(const std::string& text, MessageIcon icon) override;

    void Flush();
    void TaskEnded() override { Flush(); }

private:
    Console& console_;
    bool live_;
    std::mutex mutex_;
    std::vector<TimedLine> held_;
};

}  // namespace tonquill
