#include "app/ConvProgFigures.h"

#include <algorithm>

namespace tonquill {

QString TimeText(double seconds) {
    const int s = seconds > 0 ? static_cast<int>(seconds) : 0;
    return QString::asprintf("%02d:%02d:%02d", s / 3600, (s % 3600) / 60, s % 60);
}

QString PercentText(float percent) {
    return QString::asprintf("%5.2lf%%", static_cast<double>(std::min(percent, 100.0f)));
}

QString SpeedText(double speed) {
    return QString::asprintf(" %5.2fx", speed);
}

QString LogNumberText(int number) {
    return QString::asprintf("%03d ", number);
}

ProgressFigures ComputeProgressFigures(const ProgressInput& in) {
    ProgressFigures f;
    const float p = std::min(in.taskPercent, 100.0f);
    const float q = std::min(in.overallPercent, 100.0f);
    f.taskPercent = PercentText(p);
    f.overallPercent = PercentText(q);
    f.taskBar = static_cast<int>(p);
    f.overallBar = static_cast<int>(q);
    const double h = in.taskSeconds;
    const double m = in.batchSeconds;
    if (in.messageNumber % 10 != 0 || !(h > 0.1)) {
        return f;
    }
    f.timed = true;
    f.taskElapsed = TimeText(h);
    if (p > 0) {
        f.taskEta = TimeText((100.0 - p) * h / p);
    }
    f.overallElapsed = TimeText(m);
    if (q > 0) {
        f.overallEta = TimeText((100.0 - q) * m / q);
    }
    f.taskSpeed = SpeedText(in.taskAudioSeconds / h);
    f.overallSpeed = SpeedText(m > 0 ? in.overallAudioSeconds / m : 0.0);
    f.taskbarValue = static_cast<int>(q);
    return f;
}

QColor LogBackground(int row) {
    return row % 2 ? QColor(243, 245, 252) : QColor(Qt::white);
}

QColor LogTextColour(int level) {
    switch (level) {
        case 0:
            return QColor(0, 0, 255);
        case 1:
            return QColor(153, 0, 0);
        case 2:
            return QColor(255, 0, 0);
        default:
            return {};
    }
}

}  // namespace tonquill
