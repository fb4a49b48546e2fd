#pragma once

#include <QString>
#include <cstdint>

namespace tonquill {

// The lines painted into the empty list, one per 6-second slot of the tick counter.
constexpr int kReportHintCount = 10;

QString ReportHintText(int index);
int ReportHintIndexForTick(uint32_t tickMs);

}  // namespace tonquill
