#pragma once

namespace tonquill {

// Prepares libsox for effect chains. The "rate" effect aborts inside libsox unless the library
// was initialised first, so every chain calls this before it is built; only the first call of
// the process does the work, later ones return at once.
void EnsureSoxInitialised();

}  // namespace tonquill
