#include "convert/mp3/LameLibrary.h"

#include <dlfcn.h>

#include "base/ProgramFolder.h"

namespace tonquill {
namespace {

template <typename Fn>
void LookUp(void* handle, const char* name, Fn* fn) {
    *fn = reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

std::vector<std::string> DefaultLameLibraryPaths() {
    return {ProgramFolder() + LameLibraryFileName, LameLibraryFileName};
}

LameLibrary::Status LameLibrary::Load(const std::vector<std::string>& paths) {
    void* handle = nullptr;
    for (const auto& path : paths) {
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle) {
            break;
        }
    }
    if (!handle) {
        return Status::NotFound;
    }
    LookUp(handle, "beInitStream", &InitStream);
    LookUp(handle, "beEncodeChunkFloatS16NI", &EncodeChunk);
    LookUp(handle, "beDeinitStream", &DeinitStream);
    LookUp(handle, "beCloseStream", &CloseStream);
    LookUp(handle, "beWriteInfoTag", &WriteInfoTag);
    LookUp(handle, "beWriteVBRHeader", &WriteVbrHeader);
    if (!InitStream || !EncodeChunk || !DeinitStream || !CloseStream ||
        (!WriteInfoTag && !WriteVbrHeader)) {
        dlclose(handle);
        *this = LameLibrary();
        return Status::MissingEntryPoint;
    }
    return Status::Loaded;
}

}  // namespace tonquill
