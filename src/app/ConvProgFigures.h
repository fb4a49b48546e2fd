#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "base/ConversionObserver.h"

namespace tonquill {

// The percentages one progress report puts on the progress window.
struct ProgressFigures {
    QString taskPercent;     // "%5.2lf%%"
    QString overallPercent;  // "%5.2lf%%"
    int taskBar = 0;
    int overallBar = 0;
};

struct ProgressInput {
    float taskPercent = 0;
    float overallPercent = 0;
};

ProgressFigures ComputeProgressFigures(const ProgressInput& in);

// What the window reads of a running batch at one moment.
struct BatchReading {
    int task = -1;  // the file the "current" figures follow; -1 between files
    float taskPercent = 0;
    double taskAudioSeconds = 0;
    float overallPercent = 0;
    double overallAudioSeconds = 0;
};

// The timed figures of a batch, in seconds and audio seconds per second.
struct BatchTimes {
    double taskElapsed = 0;
    std::optional<double> taskSpeed;  // none before the followed file has converted anything
    std::optional<double> taskEta;    // none while its percentage is 0
    double batchElapsed = 0;
    std::optional<double> batchSpeed;
    std::optional<double> batchEta;
};

// Turns readings of a batch into elapsed time, speed and time left. Its clock runs only while
// the batch runs and is not paused, so time spent paused never lowers the speed nor raises the
// time left, and every batch starts from zero. Speed is audio seconds converted per second of
// that clock, however many pipelines convert at once; time left follows the overall rate.
class BatchFigures {
public:
    // Monotonic seconds; the window's is the steady clock, tests give their own.
    using Clock = std::function<double()>;
    explicit BatchFigures(Clock clock = SteadySeconds);

    // A new batch: everything back to zero, the clock running.
    void Start();
    void SetPaused(bool paused);
    BatchTimes Update(const BatchReading& reading);
    // The figures of the batch as it ended: every file done.
    BatchTimes Finish(double overallAudioSeconds);

    static double SteadySeconds();

private:
    double Elapsed() const;

    Clock clock_;
    bool running_ = false;
    bool paused_ = false;
    double banked_ = 0;     // clock seconds of the batch before the last resume
    double resumedAt_ = 0;  // clock reading at the last start or resume
    int task_ = -1;
    double taskStart_ = 0;  // batch seconds when the followed file was first seen
    std::optional<double> taskSpeed_;
    BatchTimes last_;
};

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
