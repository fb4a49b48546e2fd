#include "base/ProgramFolder.h"

#include <filesystem>
#include <system_error>

#ifndef TONQUILL_PRIVATE_FROM_BIN
#define TONQUILL_PRIVATE_FROM_BIN "../lib/tonquill"
#endif
#ifndef TONQUILL_DOC_FROM_BIN
#define TONQUILL_DOC_FROM_BIN "../share/doc/tonquill"
#endif

namespace tonquill {
namespace {

bool Holds(const std::string& folder, const std::string& fileName) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder + fileName, ec);
}

// The folder of the running executable, ending in '/'.
const std::string& ExecutableFolder() {
    static const std::string folder = [] {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec || exe.empty()) {
            return std::string("./");
        }
        std::string exeFolder = exe.parent_path().string();
        return exeFolder.empty() || exeFolder.back() != '/' ? exeFolder + '/' : exeFolder;
    }();
    return folder;
}

}  // namespace

std::string FolderHolding(const std::string& exeFolder, const std::string& fromBin,
                          const std::string& fileName) {
    if (Holds(exeFolder, fileName) || fromBin.empty()) {
        return exeFolder;
    }
    std::string folder = std::filesystem::path(exeFolder + fromBin).lexically_normal().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return Holds(folder, fileName) ? folder : exeFolder;
}

std::string ProgramFolder() {
    // Every layout has the preset file among the private files.
    static const std::string folder =
        FolderHolding(ExecutableFolder(), TONQUILL_PRIVATE_FROM_BIN, "Tonquill.prx");
    return folder;
}

std::string HelpPagePath() {
    constexpr const char* page = "Tonquill.html";
    return FolderHolding(ExecutableFolder(), TONQUILL_DOC_FROM_BIN, page) + page;
}

}  // namespace tonquill
