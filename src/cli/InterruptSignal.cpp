#include "cli/InterruptSignal.h"

#include <atomic>
#include <csignal>

namespace tonquill {
namespace {

std::atomic<bool> raised{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    raised.store(true);
}

}  // namespace

void InterruptSignal::Install() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool InterruptSignal::Raised() {
    return raised.load();
}

}  // namespace tonquill
