#include "convert/sox/SoxLibrary.h"

#include <mutex>

#include <sox.h>

namespace tonquill {

void EnsureSoxInitialised() {
    static std::once_flag once;
    std::call_once(once, [] {
        sox_init();
        // The conversion log is the program's only log: libsox's own warnings (clipping
        // counts and the like) must not appear on the terminal, only its failures.
        sox_get_globals()->verbosity = 1;
    });
}

}  // namespace tonquill
