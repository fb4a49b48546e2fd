#pragma once

#include <cstdint>

namespace tonquill {

// A millisecond tick counter that wraps at 32 bits; differences are taken as unsigned.
uint32_t TickCount();

void SleepMs(unsigned ms);

}  // namespace tonquill
