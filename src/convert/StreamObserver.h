#pragma once

#include <atomic>
#include <iosfwd>
#include <mutex>

#include "base/ConversionObserver.h"

namespace tonquill {

// Prints the conversion log as numbered, timed lines ("001 12:34:56 text"): information to one
// stream, errors to another. Progress is not shown; messages go to the error stream.
class StreamObserver : public LogAndMessageObserver {
public:
    StreamObserver(std::ostream& out, std::ostream& err);

    void Log(const std::string& text, LogLevel level) override;
    void Message(const std::string& text, MessageIcon icon) override;

    // The numbered, timed form of a log line, as the progress window shows it.
    static std::string LogLine(int number, const std::string& text);

private:
    std::ostream& out_;
    std::ostream& err_;
    std::mutex mutex_;  // lines from several threads must not interleave
    int lineNumber_ = 0;
};

}  // namespace tonquill
