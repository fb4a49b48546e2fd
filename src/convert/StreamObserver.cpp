#include "convert/StreamObserver.h"

#include <ostream>

#include "base/Format.h"
#include "base/Tick.h"

namespace tonquill {

StreamObserver::StreamObserver(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

std::string StreamObserver::LogLine(int number, const std::string& text) {
    const ClockTime now = LocalClockTime();
    return Format("%03d %02d:%02d:%02d ", number, now.hour, now.minute, now.second) + text;
}

void StreamObserver::Log(const std::string& text, LogLevel level) {
    std::lock_guard lock(mutex_);
    std::ostream& s = level == LogLevel::Info ? out_ : err_;
    s << LogLine(++lineNumber_, text) << '\n';
    s.flush();
}

void StreamObserver::Message(const std::string& text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    const char* kind = icon == MessageIcon::Error     ? "error"
                       : icon == MessageIcon::Warning ? "warning"
                                                      : "note";
    err_ << "Tonquill " << kind << ": " << text << '\n';
    err_.flush();
}

}  // namespace tonquill
