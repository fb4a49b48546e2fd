#pragma once

#include <QString>

namespace tonquill {

// The status bar's summary of the whole list: "%d file(s)   %.2f MB   %02d:%02d:%02d", or
// "No file" when the list is empty, whatever rounding left in the sums.
QString ListTotalsText(int fileCount, double megabytes, double seconds);

// The summary of the selection: "%d file(s) selected, %.2f MB   %02d:%02d:%02d", or
// "No file selected" when nothing is selected.
QString SelectionSummaryText(int selectedCount, double megabytes, double seconds);

// Whole seconds (cut toward zero) as hours, which may exceed two digits, minutes and seconds.
QString ClockText(double seconds);

}  // namespace tonquill
