#include "app/ConvProgPipelineObserver.h"

#include "app/ConvProgObserver.h"
#include "base/Tick.h"

namespace tonquill {

void ConvProgPipelineObserver::Log(const std::string& text, LogLevel level) {
    if (live_) {
        window_->Log(text, level);
        return;
    }
    // Not QTime::currentTime(): it reloads the time zone each call, which pipelines logging at
    // once would race on.
    const ClockTime now = LocalClockTime();
    ConvLogLine line{QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), level,
                     QTime(now.hour, now.minute, now.second)};
    std::lock_guard lock(mutex_);
    held_.push_back(std::move(line));
}

void ConvProgPipelineObserver::Progress(float taskPercent, float overallPercent, bool synchronous) {
    if (live_) {
        window_->Progress(taskPercent, overallPercent, synchronous);
    }
}

void ConvProgPipelineObserver::Caption(const std::string& text) {
    if (live_) {
        window_->Caption(text);
    }
}

void ConvProgPipelineObserver::Paths(const std::string& source, const std::string& destination) {
    if (live_) {
        window_->Paths(source, destination);
    } else {
        window_->PipelinePaths(pipeline_, source, destination);
    }
}

void ConvProgPipelineObserver::Message(const std::string& text, MessageIcon icon) {
    window_->Message(text, icon);
}

void ConvProgPipelineObserver::TaskEnded() {
    std::vector<ConvLogLine> lines;
    {
        std::lock_guard lock(mutex_);
        lines.swap(held_);
    }
    if (!lines.empty()) {
        window_->LogBlock(std::move(lines));
    }
}

}  // namespace tonquill
