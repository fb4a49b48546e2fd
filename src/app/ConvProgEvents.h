#pragma once

#include <QEvent>
#include <QString>
#include <atomic>
#include <memory>

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

class ConvCaptionEvent : public QEvent {
public:
    explicit ConvCaptionEvent(QString text)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_CAPTION)), text(std::move(text)) {}
    QString text;
};

class ConvPathsEvent : public QEvent {
public:
    ConvPathsEvent(QString source, QString destination)
        : QEvent(static_cast<QEvent::Type>(WM_CONV_PATHS)),
          source(std::move(source)),
          destination(std::move(destination)) {}
    QString source;
    QString destination;
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
