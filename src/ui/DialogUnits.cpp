#include "ui/DialogUnits.h"

#include <QFontMetrics>

namespace tonquill {

DialogUnits::DialogUnits(const QFont& font) {
    // The average width is measured over the 52 Latin letters, rounded to nearest, as the dialog
    // templates were laid out with.
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = qMax(1, (letters / 26 + 1) / 2);
    baseY_ = qMax(1, metrics.height());
}

int DialogUnits::X(int units) const {
    return units * baseX_ / 4;
}

int DialogUnits::Y(int units) const {
    return units * baseY_ / 8;
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    // Edges are converted, not sizes, so neighbouring controls keep their common edge.
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

}  // namespace tonquill
