#include "app/ListSummaryText.h"

#include <cmath>

#include "base/Format.h"

namespace tonquill {

QString ClockText(double seconds) {
    const auto whole = static_cast<long long>(std::trunc(seconds));
    return QString::fromStdString(
        Format("%02lld:%02lld:%02lld", whole / 3600, (whole % 3600) / 60, whole % 60));
}

QString ListTotalsText(int fileCount, double megabytes, double seconds) {
    if (fileCount == 0) {
        return QStringLiteral("No file");
    }
    return QString::fromStdString(Format("%d file(s)   %.2f MB   ", fileCount, megabytes)) +
           ClockText(seconds);
}

QString SelectionSummaryText(int selectedCount, double megabytes, double seconds) {
    if (selectedCount == 0) {
        return QStringLiteral("No file selected");
    }
    return QString::fromStdString(
               Format("%d file(s) selected, %.2f MB   ", selectedCount, megabytes)) +
           ClockText(seconds);
}

}  // namespace tonquill
