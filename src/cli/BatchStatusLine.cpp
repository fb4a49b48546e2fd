#include "cli/BatchStatusLine.h"

#include <algorithm>

#include "base/Format.h"

namespace tonquill {

std::string BatchStatusLine(const ParallelBatchSnapshot& batch, uint32_t now, int width) {
    std::string files;
    for (float percent : batch.runningPercents) {
        files += Format(" %3.0f%%", static_cast<double>(percent));
    }
    const double overall = batch.overallPercent / 100.0;
    const double elapsed = static_cast<uint32_t>(now - batch.batchStartTick) / 1000.0;
    const double speed = elapsed > 0 ? batch.overallAudioSeconds / elapsed : 0.0;
    std::string left = "--:--";
    if (overall > 0.001) {
        const long seconds = static_cast<long>(elapsed * (1.0 - overall) / overall + 0.5);
        left = Format("%ld:%02ld", seconds / 60, seconds % 60);
    }
    const std::string tail =
        Format(" %5.1f%%  %d/%d  file%s  %.1fx  %s left", overall * 100.0, batch.started,
               batch.count, files.empty() ? " -" : files.c_str(), speed, left.c_str());
    const int barWidth = std::clamp(width - static_cast<int>(tail.size()) - 3, 0, 30);
    std::string bar;
    if (barWidth >= 5) {
        const int filled = static_cast<int>(overall * barWidth);
        bar = "[" + std::string(static_cast<size_t>(filled), '=') +
              std::string(static_cast<size_t>(barWidth - filled), ' ') + "]";
    }
    std::string text = bar + tail;
    if (static_cast<int>(text.size()) > width - 1) {
        text.resize(static_cast<size_t>(std::max(0, width - 1)));
    }
    return text;
}

}  // namespace tonquill
