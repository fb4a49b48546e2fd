#include "convert/WorkerThread.h"

#include "base/Tick.h"

namespace tonquill {

void WorkerThread::Start(std::function<void()> body) {
    Join();
    finished_ = std::make_shared<std::atomic<bool>>(false);
    thread_ = std::thread([body = std::move(body), finished = finished_] {
        body();
        finished->store(true, std::memory_order_release);
    });
}

bool WorkerThread::WaitFor(unsigned ms) {
    if (!thread_.joinable()) {
        return true;
    }
    const uint32_t start = TickCount();
    while (!finished_->load(std::memory_order_acquire)) {
        if (TickCount() - start >= ms) {
            return false;
        }
        SleepMs(1);
    }
    thread_.join();
    return true;
}

void WorkerThread::Join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace tonquill
