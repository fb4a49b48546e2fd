#pragma once

#include <mutex>

namespace tonquill {

// Prepares libsox for effect chains. The "rate" effect aborts inside libsox unless the library
// was initialised first, so every chain calls this before it is built; only the first call of
// the process does the work, later ones return at once.
void EnsureSoxInitialised();

// libsox keeps process-wide state that it writes without a lock while effects are created,
// configured, started, stopped and deleted: formatted numbers in static buffers, the name of the
// subsystem that speaks next, the rate effect's shared FFT tables. Two pipelines building or
// tearing down chains at once would race on it, so every such call is made with this lock held.
// The sample flow itself touches none of it and runs unlocked.
std::mutex& SoxStateMutex();

}  // namespace tonquill
