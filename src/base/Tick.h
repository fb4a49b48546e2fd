#pragma once

#include <cstdint>

namespace tonquill {

// A millisecond tick counter that wraps at 32 bits; differences are taken as unsigned.
uint32_t TickCount();

void SleepMs(unsigned ms);

// The local wall-clock time a log line is stamped with. Safe from any thread: it reads the
// time zone as already loaded, never reloading it the way a call through tzset() does.
struct ClockTime {
    int hour, minute, second;
};
ClockTime LocalClockTime();

}  // namespace tonquill
