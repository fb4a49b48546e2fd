#pragma once

#include <string>
#include <vector>

#include "lame_enc/LameEncApi.h"

namespace tonquill {

// The MP3 encoder library, loaded with dlopen and looked up by entry-point name. Once loaded it
// stays loaded for the life of the process, so its functions never go away under a stream.
class LameLibrary {
public:
    enum class Status { Loaded, NotFound, MissingEntryPoint };

    // Loads the first of paths that dlopen accepts (a bare file name searches the system's
    // library path) and looks up the six entry points. Only beWriteInfoTag and
    // beWriteVBRHeader may be missing.
    Status Load(const std::vector<std::string>& paths);

    lameenc::BeInitStreamFn InitStream = nullptr;
    lameenc::BeEncodeChunkFloatS16NIFn EncodeChunk = nullptr;
    lameenc::BeDeinitStreamFn DeinitStream = nullptr;
    lameenc::BeCloseStreamFn CloseStream = nullptr;
    lameenc::BeWriteInfoTagFn WriteInfoTag = nullptr;
    lameenc::BeWriteVbrHeaderFn WriteVbrHeader = nullptr;
};

// The file name of the library, and where the MP3 encoder looks for it: beside the program
// first, then by name.
inline constexpr const char* LameLibraryFileName = "lame_enc.so";
std::vector<std::string> DefaultLameLibraryPaths();

}  // namespace tonquill
