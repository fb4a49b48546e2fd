#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace tonquill {

// A pipeline worker: a thread whose end can be awaited with a time bound. It is always joined,
// never killed or left running: every stage ends within milliseconds once Running is cleared.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void Start(std::function<void()> body);
    bool Started() const { return thread_.joinable(); }
    // Waits up to ms for the body to end; true (and joined) when it has.
    bool WaitFor(unsigned ms);
    void Join();

private:
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> finished_;
};

}  // namespace tonquill
