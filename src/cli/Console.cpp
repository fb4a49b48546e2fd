#include "cli/Console.h"

#include <cstring>

#include <unistd.h>

#include "base/Format.h"
#include "base/Tick.h"
#include "cli/TerminalText.h"

namespace tonquill {

Console::Console(std::FILE* out, std::FILE* err, bool quiet)
    : out_(out), err_(err), quiet_(quiet), statusEnabled_(!quiet && isatty(fileno(err))) {}

TimedLine Console::Stamp(const std::string& text, LogLevel level) {
    const ClockTime now = LocalClockTime();
    return {text, level, now.hour, now.minute, now.second};
}

std::string Console::LogLine(int number, const TimedLine& line) {
    return Format("%03d %02d:%02d:%02d ", number, line.hour, line.minute, line.second) +
           TerminalText(line.text);
}

void Console::WriteLines(const std::vector<TimedLine>& lines) {
    std::lock_guard lock(mutex_);
    HideStatusLocked();
    for (const auto& line : lines) {
        // Numbers count every line, shown or not, so a quiet run's error keeps its place.
        const int number = ++lineNumber_;
        if (line.level == LogLevel::Info && quiet_) {
            continue;
        }
        std::FILE* stream = line.level == LogLevel::Info ? out_ : err_;
        std::fputs((LogLine(number, line) + '\n').c_str(), stream);
    }
    std::fflush(out_);
    std::fflush(err_);
    ShowStatusLocked();
}

void Console::Error(const std::string& text) {
    std::lock_guard lock(mutex_);
    HideStatusLocked();
    std::fprintf(err_, "tonquill-cli: %s\n", TerminalText(text).c_str());
    std::fflush(err_);
    ShowStatusLocked();
}

void Console::Note(const std::string& text) {
    if (quiet_) {
        return;
    }
    std::lock_guard lock(mutex_);
    HideStatusLocked();
    std::fprintf(out_, "%s\n", TerminalText(text).c_str());
    std::fflush(out_);
    ShowStatusLocked();
}

void Console::SetStatus(const std::string& text) {
    if (!statusEnabled_) {
        return;
    }
    std::lock_guard lock(mutex_);
    status_ = text;
    ShowStatusLocked();
}

void Console::ClearStatus() {
    std::lock_guard lock(mutex_);
    HideStatusLocked();
    status_.clear();
}

void Console::HideStatusLocked() {
    if (statusShown_) {
        std::fputs("\r\033[K", err_);
        statusShown_ = false;
    }
}

void Console::ShowStatusLocked() {
    if (statusEnabled_ && !status_.empty()) {
        std::fputs(("\r\033[K" + status_).c_str(), err_);
        std::fflush(err_);
        statusShown_ = true;
    }
}

void ConsoleObserver::Log(const std::string& text, LogLevel level) {
    TimedLine line = Console::Stamp(text, level);
    if (live_) {
        console_.WriteLines({line});
        return;
    }
    std::lock_guard lock(mutex_);
    held_.push_back(std::move(line));
}

void ConsoleObserver::Message(const std::string& text, MessageIcon icon) {
    console_.Error(icon == MessageIcon::Information ? text
                   : icon == MessageIcon::Warning   ? "warning: " + text
                                                    : "error: " + text);
}

void ConsoleObserver::Flush() {
    std::vector<TimedLine> lines;
    {
        std::lock_guard lock(mutex_);
        lines.swap(held_);
    }
    if (!lines.empty()) {
        console_.WriteLines(lines);
    }
}

}  // namespace tonquill
