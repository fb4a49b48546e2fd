#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace tonquill {
namespace {

// A later start runs in a process of its own; here a thread stands in for it, so the first
// instance's event loop can answer while the later one waits.
bool ClaimElsewhere(const QString& socketPath, const QStringList& paths) {
    std::atomic<bool> done{false};
    bool claimed = false;
    std::thread later([&] {
        SingleInstance second(socketPath);
        claimed = second.Claim(paths);
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    later.join();
    return claimed;
}

TEST(SingleInstanceTest, ALaterStartHandsItsPathsToTheFirstAndEnds) {
    QTemporaryDir runtime;
    const QString socketPath = runtime.path() + "/tonquill-test.socket";
    SingleInstance first(socketPath);
    ASSERT_TRUE(first.Claim({}));
    QList<QStringList> requests;
    QObject::connect(&first, &SingleInstance::activationRequested,
                     [&](const QStringList& paths) { requests << paths; });

    const QStringList paths{"/music/a b.mp3", "/music/line\nbreak.wav", "/music/folder"};
    EXPECT_FALSE(ClaimElsewhere(socketPath, paths));
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0], paths);

    // A start without paths only raises the window.
    EXPECT_FALSE(ClaimElsewhere(socketPath, {}));
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[1].isEmpty());
}

TEST(SingleInstanceTest, ASocketLeftByACrashedInstanceIsTakenOver) {
    QTemporaryDir runtime;
    const QString socketPath = runtime.path() + "/tonquill-test.socket";
    {
        QFile stale(socketPath);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance first(socketPath);
    EXPECT_TRUE(first.Claim({"/music/x.mp3"}));
    EXPECT_FALSE(ClaimElsewhere(socketPath, {}));
}

}  // namespace
}  // namespace tonquill
