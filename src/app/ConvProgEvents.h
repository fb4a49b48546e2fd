#pragma once

#include <QEvent>
#include <QString>
#include <QTime>
#include <atomic>
#include <memory>
#include <vector>

#include "base/ConversionObserver.h"

namespace tonquill {

// Events the conversion workers post to the progress window, numbered as its handlers know
// them. The event owns its payload, so the window frees it whether it handles it or not.
constexpr int WM_CONV_PROGRESS = 1124;
constexpr int WM_CONV_LOG = 1125;
constexpr int WM_CONV_CAPTION = 1126;
constexpr int WM_CONV_PATHS = 1127;
constexpr int WM_CONV_STARTED = 1128;
constexpr int WM_CONV_DONE = 1129;
constexpr int WM_CONV_MESSAGE = 1130;
constexpr int WM_CONV_STOPPED = 1131;
constexpr int WM_CONV_LOG_BLOCK = 1132;

// Set by the window once it has handled an event a worker waits for.
using HandledFlag = std::shared_ptr<std::atomic<bool>>;

class ConvProgressEvent : public QEvent {
public:
    ConvProgressEvent(float task, float overall, HandledFlag handled = {})
        : QEvent(static_cast<QEvent::Type>(WM_CONV_PROGRESS)),
          taskPercent(task),
          overallPercent(overall),
          handled(std::move(handled)) {}
    ~ConvProgressEvent() override {
        if (handled) {
            handled->store(true, std::memory_order_release);
        }
    }
    float taskPercent;
    float overallPercent;
    HandledFlag handled;
};

class ConvLogEvent : public QEvent {
public:
    ConvLogEvent(QString text, LogLevel level)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_LOG)), text(std::move(text)), level(level) {}
    QString text;
    LogLevel level;
};

// One log line as a pipeline reported it, with the time it was reported at.
struct ConvLogLine {
    QString text;
    LogLevel level;
    QTime time;
};

// The lines of one file converted beside others, shown together when the file has ended.
class ConvLogBlockEvent : public QEvent {
public:
    explicit ConvLogBlockEvent(std::vector<ConvLogLine> lines)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_LOG_BLOCK)), lines(std::move(lines)) {}
    std::vector<ConvLogLine> lines;
};

class ConvCaptionEvent : public QEvent {
public:
    explicit ConvCaptionEvent(QString text)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_CAPTION)), text(std::move(text)) {}
    QString text;
};

class ConvPathsEvent : public QEvent {
public:
    // pipeline: which of several pipelines converts the file; -1 with only one.
    ConvPathsEvent(QString source, QString destination, int pipeline = -1)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_PATHS)),
          source(std::move(source)),
          destination(std::move(destination)),
          pipeline(pipeline) {}
    QString source;
    QString destination;
    int pipeline;
};

class ConvMessageEvent : public QEvent {
public:
    ConvMessageEvent(QString text, MessageIcon icon, HandledFlag handled)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_MESSAGE)),
          text(std::move(text)),
          icon(icon),
          handled(std::move(handled)) {}
    // Also when the window goes before showing it: the worker must not wait forever.
    ~ConvMessageEvent() override {
        if (handled) {
            handled->store(true, std::memory_order_release);
        }
    }
    QString text;
    MessageIcon icon;
    HandledFlag handled;
};

}  // namespace tonquill
