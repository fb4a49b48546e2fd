#pragma once

namespace tonquill {

// Ctrl-C (SIGINT) and SIGTERM: the first only raises a flag that the batch polls, so running
// tasks end as a cancel ends them; the handler then steps aside, and a second signal ends the
// program at once.
class InterruptSignal {
public:
    static void Install();
    static bool Raised();
};

}  // namespace tonquill
