#pragma once

#include <QString>
#include <cstdint>

class QFont;
class QWidget;

namespace tonquill {

// The lines painted into the empty list, one per 6-second slot of the tick counter.
constexpr int kReportHintCount = 10;

QString ReportHintText(int index);
int ReportHintIndexForTick(uint32_t tickMs);

// Paints `text` into the empty list's `viewport`, centred a little above the middle, in a
// larger `listFont`.
void PaintReportHint(QWidget& viewport, const QFont& listFont, const QString& text);

}  // namespace tonquill
