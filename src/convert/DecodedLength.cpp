#include "convert/DecodedLength.h"

#include <algorithm>

#include "base/Format.h"

namespace tonquill {

std::string PositionText(uint64_t frames, int rate) {
    if (rate <= 0) {
        return "0:00.00";
    }
    const uint64_t hundredths = frames * 100 / static_cast<uint64_t>(rate);
    return Format("%llu:%02llu.%02llu", static_cast<unsigned long long>(hundredths / 6000),
                  static_cast<unsigned long long>(hundredths / 100 % 60),
                  static_cast<unsigned long long>(hundredths % 100));
}

bool EndsWellShort(uint64_t decoded, uint64_t expected, int rate, int channels) {
    if (expected == 0 || decoded >= expected || rate <= 0 || channels <= 0) {
        return false;
    }
    const uint64_t missing = expected - decoded;
    const uint64_t halfSecond = static_cast<uint64_t>(rate) * static_cast<uint64_t>(channels) / 2;
    return missing * 50 > expected && missing > halfSecond;
}

void ReportShortStream(PipelineContext& ctx, const CConversionTask& task, uint64_t decoded) {
    const uint64_t expected = std::max(task.SourceSamples, task.HeaderSamples);
    if (!EndsWellShort(decoded, expected, task.SourceRate, task.SourceChannels)) {
        return;
    }
    const uint64_t channels = static_cast<uint64_t>(task.SourceChannels);
    ctx.PostLog(
        Format("Warning : only %s of %s could be decoded from %s (the file is damaged or "
               "cut off); the output holds what was read",
               PositionText(decoded / channels, task.SourceRate).c_str(),
               PositionText(expected / channels, task.SourceRate).c_str(), task.SourcePath.c_str()),
        LogLevel::Warning);
}

}  // namespace tonquill
