#include "convert/sox/SoxLibrary.h"

#include <mutex>

#include <sox.h>

namespace tonquill {

std::mutex& SoxStateMutex() {
    static std::mutex mutex;
    return mutex;
}

void EnsureSoxInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        sox_init();
        // The conversion log is the program's only log: libsox's own warnings (clipping
        // counts and the like) must not appear on the terminal, only its failures.
        sox_get_globals()->verbosity = 1;
        // Some effect handlers build their usage text on the first lookup, unguarded: two
        // pipelines looking up effects at once would race on it and lose a copy. Looking every
        // handler up once here leaves later lookups only reading.
        for (const sox_effect_fn_t* handler = sox_get_effect_fns(); *handler; ++handler) {
            (*handler)();
        }
    });
}

}  // namespace tonquill
