#include "app/ConvProgObserver.h"

#include <QCoreApplication>

#include "base/Tick.h"

namespace tonquill {

namespace {

QString FromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

ConvProgObserver::ConvProgObserver(QObject* window) : window_(window) {}

void ConvProgObserver::Post(QEvent* event) {
    if (released_.load(std::memory_order_acquire)) {
        delete event;
        return;
    }
    QCoreApplication::postEvent(window_, event);
}

void ConvProgObserver::Wait(const HandledFlag& handled) const {
    while (!handled->load(std::memory_order_acquire) &&
           !released_.load(std::memory_order_acquire)) {
        SleepMs(1);
    }
}

void ConvProgObserver::Log(const std::string& text, LogLevel level) {
    Post(new ConvLogEvent(FromUtf8(text), level));
}

void ConvProgObserver::Progress(float taskPercent, float overallPercent, bool synchronous) {
    if (!synchronous) {
        Post(new ConvProgressEvent(taskPercent, overallPercent));
        return;
    }
    auto handled = std::make_shared<std::atomic<bool>>(false);
    Post(new ConvProgressEvent(taskPercent, overallPercent, handled));
    Wait(handled);
}

void ConvProgObserver::BatchStarted() {
    Post(new QEvent(static_cast<QEvent::Type>(WM_CONV_STARTED)));
}

void ConvProgObserver::Done() {
    Post(new QEvent(static_cast<QEvent::Type>(WM_CONV_DONE)));
}

void ConvProgObserver::Stopped() {
    Post(new QEvent(static_cast<QEvent::Type>(WM_CONV_STOPPED)));
}

void ConvProgObserver::Caption(const std::string& text) {
    Post(new ConvCaptionEvent(FromUtf8(text)));
}

void ConvProgObserver::Paths(const std::string& source, const std::string& destination) {
    Post(new ConvPathsEvent(FromUtf8(source), FromUtf8(destination)));
}

void ConvProgObserver::LogBlock(std::vector<ConvLogLine> lines) {
    Post(new ConvLogBlockEvent(std::move(lines)));
}

void ConvProgObserver::PipelinePaths(int pipeline, const std::string& source,
                                     const std::string& destination) {
    Post(new ConvPathsEvent(FromUtf8(source), FromUtf8(destination), pipeline));
}

void ConvProgObserver::Message(const std::string& text, MessageIcon icon) {
    auto handled = std::make_shared<std::atomic<bool>>(false);
    Post(new ConvMessageEvent(FromUtf8(text), icon, handled));
    Wait(handled);
}

}  // namespace tonquill
