#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

#include "base/ConversionObserver.h"

namespace tonquill {

// The figures one progress report puts on the progress window.
struct ProgressFigures {
    QString taskPercent;     // "%5.2lf%%"
    QString overallPercent;  // "%5.2lf%%"
    int taskBar = 0;
    int overallBar = 0;
    // Only on every tenth report, once the task has run for more than 0.1 s.
    bool timed = false;
    QString taskElapsed;
    std::optional<QString> taskEta;  // only while the percentage is above 0
    QString overallElapsed;
    std::optional<QString> overallEta;
    QString taskSpeed;
    QString overallSpeed;
    int taskbarValue = 0;
};

struct ProgressInput {
    float taskPercent = 0;
    float overallPercent = 0;
    uint64_t messageNumber = 0;  // the process-wide count, this report included
    double taskSeconds = 0;      // since the task started
    double batchSeconds = 0;     // since the batch started
    double taskAudioSeconds = 0;
    double overallAudioSeconds = 0;
};

ProgressFigures ComputeProgressFigures(const ProgressInput& in);

// "%02d:%02d:%02d" of the whole seconds.
QString TimeText(double seconds);
// "%5.2lf%%" of a percentage clamped to 100.
QString PercentText(float percent);
// " %5.2fx".
QString SpeedText(double speed);
// The "#" column of a log row: "%03d ".
QString LogNumberText(int number);

// Colours of the log rows by row index and level.
QColor LogBackground(int row);
QColor LogTextColour(int level);

}  // namespace tonquill
