#include "convert/sox/SoxLibrary.h"

#include <dlfcn.h>

#include <mutex>
#include <stdexcept>
#include <string>

namespace tonquill {
namespace {

// The name the linker would have recorded: Debian's libsox3.
constexpr const char* SoxLibraryName = "libsox.so.3";

template <typename Fn>
void LookUp(void* handle, const char* name, Fn& fn, std::string& missing) {
    fn = reinterpret_cast<Fn>(dlsym(handle, name));
    if (!fn) {
        missing += missing.empty() ? name : std::string(", ") + name;
    }
}

struct OpenedSox {
    SoxApi api{};
    std::string error;
};

OpenedSox Open() {
    OpenedSox opened;
    // Kept for the whole process, as a linked library would be.
    void* handle = dlopen(SoxLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        opened.error = std::string("cannot open libsox: ") + (reason ? reason : "unknown reason");
        return opened;
    }
    SoxApi& api = opened.api;
    std::string missing;
    LookUp(handle, "sox_init", api.init, missing);
    LookUp(handle, "sox_get_globals", api.get_globals, missing);
    LookUp(handle, "sox_get_effect_fns", api.get_effect_fns, missing);
    LookUp(handle, "sox_find_effect", api.find_effect, missing);
    LookUp(handle, "sox_create_effect", api.create_effect, missing);
    LookUp(handle, "sox_effect_options", api.effect_options, missing);
    LookUp(handle, "sox_create_effects_chain", api.create_effects_chain, missing);
    LookUp(handle, "sox_delete_effects_chain", api.delete_effects_chain, missing);
    LookUp(handle, "sox_add_effect", api.add_effect, missing);
    LookUp(handle, "sox_flow_effects", api.flow_effects, missing);
    if (!missing.empty()) {
        opened.error = "libsox lacks " + missing;
        return opened;
    }
    api.init();
    // The conversion log is the program's only log: libsox's own warnings (clipping counts and
    // the like) must not appear on the terminal, only its failures.
    api.get_globals()->verbosity = 1;
    // Some effect handlers build their usage text on the first lookup, unguarded: two pipelines
    // looking up effects at once would race on it and lose a copy. Looking every handler up once
    // here leaves later lookups only reading.
    for (const sox_effect_fn_t* handler = api.get_effect_fns(); *handler; ++handler) {
        (*handler)();
    }
    return opened;
}

}  // namespace

std::mutex& SoxStateMutex() {
    static std::mutex mutex;
    return mutex;
}

const SoxApi& Sox() {
    static const OpenedSox opened = Open();
    if (!opened.error.empty()) {
        throw std::runtime_error(opened.error);
    }
    return opened.api;
}

}  // namespace tonquill
