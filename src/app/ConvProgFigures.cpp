#include "app/ConvProgFigures.h"

#include <algorithm>
#include <chrono>

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
    return f;
}

BatchFigures::BatchFigures(Clock clock) : clock_(std::move(clock)) {}

double BatchFigures::SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void BatchFigures::Start() {
    running_ = true;
    banked_ = 0;
    resumedAt_ = clock_();
    task_ = -1;
    taskStart_ = 0;
    taskSpeed_.reset();
    last_ = BatchTimes{};
    // A batch paused before its first file keeps its clock stopped.
    if (paused_) {
        paused_ = false;
        SetPaused(true);
    }
}

void BatchFigures::SetPaused(bool paused) {
    if (paused == paused_) {
        return;
    }
    if (running_) {
        if (paused) {
            banked_ += clock_() - resumedAt_;
        } else {
            resumedAt_ = clock_();
        }
    }
    paused_ = paused;
}

double BatchFigures::Elapsed() const {
    if (!running_) {
        return 0;
    }
    return paused_ ? banked_ : banked_ + (clock_() - resumedAt_);
}

namespace {

// Below this a rate is mostly noise: a file that has run for a few milliseconds.
constexpr double MinimumSeconds = 0.1;

std::optional<double> Rate(double audioSeconds, double seconds) {
    if (audioSeconds > 0 && seconds >= MinimumSeconds) {
        return audioSeconds / seconds;
    }
    return std::nullopt;
}

std::optional<double> TimeLeft(float percent, double seconds) {
    const double p = std::min(static_cast<double>(percent), 100.0);
    if (p > 0 && seconds > 0) {
        return (100.0 - p) * seconds / p;
    }
    return std::nullopt;
}

}  // namespace

BatchTimes BatchFigures::Update(const BatchReading& reading) {
    if (!running_) {
        return last_;
    }
    const double now = Elapsed();
    BatchTimes t;
    t.batchElapsed = now;
    t.batchSpeed = Rate(reading.overallAudioSeconds, now);
    t.batchEta = TimeLeft(reading.overallPercent, now);
    if (reading.task >= 0) {
        if (reading.task != task_) {
            task_ = reading.task;
            taskStart_ = now;
        }
        t.taskElapsed = now - taskStart_;
        t.taskEta = TimeLeft(reading.taskPercent, t.taskElapsed);
        // A file just begun has no rate of its own yet: the last one stands until it has.
        if (const auto rate = Rate(reading.taskAudioSeconds, t.taskElapsed)) {
            taskSpeed_ = rate;
        }
    } else {
        // Between files the last file's figures stand.
        t.taskElapsed = last_.taskElapsed;
        t.taskEta = last_.taskEta;
    }
    t.taskSpeed = taskSpeed_ ? taskSpeed_ : t.batchSpeed;
    if (!t.batchSpeed) {
        t.batchSpeed = last_.batchSpeed;
    }
    last_ = t;
    return t;
}

BatchTimes BatchFigures::Finish(double overallAudioSeconds) {
    const double now = Elapsed();
    BatchTimes t = last_;
    t.batchElapsed = now;
    // A whole batch may take less than the noise bound; its rate is still the true one.
    if (overallAudioSeconds > 0 && now > 0) {
        t.batchSpeed = overallAudioSeconds / now;
    }
    if (!t.taskSpeed) {
        t.taskSpeed = t.batchSpeed;
    }
    t.taskEta = 0.0;
    t.batchEta = 0.0;
    running_ = false;
    last_ = t;
    return t;
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
