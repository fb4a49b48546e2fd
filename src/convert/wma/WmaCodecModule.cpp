#include "convert/wma/WmaCodecModule.h"

#include <dlfcn.h>

#include "base/ProgramFolder.h"
#include "convert/wma/WmaComponent.h"

namespace tonquill {
namespace {

struct LoadedModule {
    const WmaCodecEntryPoints* points = nullptr;
    std::string error;
};

LoadedModule Load() {
    LoadedModule loaded;
    const std::string path = ProgramFolder() + WmaCodecModuleFileName;
    // Kept for the whole process: decoders and encoders made by it may live until the end.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        loaded.error =
            "cannot load the WMA component " + path + ": " + (reason ? reason : "unknown reason");
        return loaded;
    }
    using EntryFunction = const WmaCodecEntryPoints* (*)();
    auto entry = reinterpret_cast<EntryFunction>(dlsym(handle, WmaCodecEntrySymbol));
    const WmaCodecEntryPoints* points = entry ? entry() : nullptr;
    if (!points || points->version != WmaCodecModuleVersion || !points->checkSupport ||
        !points->openInput || !points->createOutput) {
        loaded.error = "the WMA component " + path + " belongs to another build of Tonquill";
        return loaded;
    }
    loaded.points = points;
    return loaded;
}

}  // namespace

const WmaCodecEntryPoints& WmaCodecModule() {
    static const LoadedModule loaded = Load();
    if (!loaded.points) {
        throw WmaError(loaded.error);
    }
    return *loaded.points;
}

}  // namespace tonquill
