#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/ConvProgEvents.h"
#include "app/ConvProgObserver.h"
#include "support/TestSupport.h"

namespace tonquill {
namespace {

// Counts the progress events it is given.
class Receiver : public QObject {
public:
    int progress = 0;
    int logs = 0;
    QString lastLog;

protected:
    bool event(QEvent* e) override {
        if (e->type() == static_cast<QEvent::Type>(WM_CONV_PROGRESS)) {
            ++progress;
            return true;
        }
        if (e->type() == static_cast<QEvent::Type>(WM_CONV_LOG)) {
            ++logs;
            lastLog = static_cast<ConvLogEvent*>(e)->text;
            return true;
        }
        return QObject::event(e);
    }
};

TEST(ConvProgObserver, SynchronousProgressReturnsOnceTheWindowHandledIt) {
    Receiver window;
    ConvProgObserver observer(&window);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        observer.Log("Start a new converting task.", LogLevel::Info);
        observer.Progress(100, 50, true);
        returned = true;
    });
    // The worker waits until the window's thread has handled the report.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    EXPECT_TRUE(test::WaitUntil([&] {
        QCoreApplication::processEvents();
        return returned.load();
    }));
    worker.join();
    EXPECT_EQ(window.progress, 1);
    EXPECT_EQ(window.logs, 1);
    EXPECT_EQ(window.lastLog, "Start a new converting task.");
}

TEST(ConvProgObserver, ReleasedWindowNoLongerHoldsWorkersBack) {
    Receiver window;
    ConvProgObserver observer(&window);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        observer.Message("lame_enc.so cannot be loaded", MessageIcon::Error);
        observer.Progress(10, 10, true);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
    observer.Release();  // the window closes without ever handling the events
    EXPECT_TRUE(test::WaitUntil([&] { return returned.load(); }));
    worker.join();
    // Reports after the release are dropped, not delivered to a closing window.
    observer.Log("late", LogLevel::Info);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.logs, 0);
}

}  // namespace
}  // namespace tonquill
