#pragma once

#include <mutex>

#include <sox.h>

namespace tonquill {

// The libsox calls the rate and channel stage makes. libsox is opened on the first chain, not
// linked: it and the seven libraries it pulls in (libmagic, libgomp, libpng, ...) then cost
// nothing to a run whose outputs keep their sources' rate and channels.
struct SoxApi {
    decltype(&sox_init) init;
    decltype(&sox_get_globals) get_globals;
    decltype(&sox_get_effect_fns) get_effect_fns;
    decltype(&sox_find_effect) find_effect;
    decltype(&sox_create_effect) create_effect;
    decltype(&sox_effect_options) effect_options;
    decltype(&sox_create_effects_chain) create_effects_chain;
    decltype(&sox_delete_effects_chain) delete_effects_chain;
    decltype(&sox_add_effect) add_effect;
    decltype(&sox_flow_effects) flow_effects;
};

// libsox opened and prepared for effect chains, once per process (later calls return at once).
// The "rate" effect aborts inside libsox unless the library was initialised first. Throws
// std::runtime_error naming the reason when libsox cannot be opened.
const SoxApi& Sox();

// libsox keeps process-wide state that it writes without a lock while effects are created,
// configured, started, stopped and deleted: formatted numbers in static buffers, the name of the
// subsystem that speaks next, the rate effect's shared FFT tables. Two pipelines building or
// tearing down chains at once would race on it, so every such call is made with this lock held.
// The sample flow itself touches none of it and runs unlocked.
std::mutex& SoxStateMutex();

}  // namespace tonquill
