#include "base/ProgramFolder.h"

#include <filesystem>
#include <system_error>

#ifndef TONQUILL_PRIVATE_FROM_BIN
#define TONQUILL_PRIVATE_FROM_BIN "../lib/tonquill"
#endif

namespace tonquill {
namespace {

// The file every layout has in the program's folder.
constexpr const char* Marker = "Tonquill.prx";

bool Holds(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_regular_file(folder + Marker, ec);
}

}  // namespace

std::string ProgramFolderFor(const std::string& exeFolder, const std::string& privateFromBin) {
    if (Holds(exeFolder) || privateFromBin.empty()) {
        return exeFolder;
    }
    const std::string installed =
        std::filesystem::path(exeFolder + privateFromBin).lexically_normal().string();
    const std::string folder =
        installed.empty() || installed.back() == '/' ? installed : installed + "/";
    return Holds(folder) ? folder : exeFolder;
}

std::string ProgramFolder() {
    static const std::string folder = [] {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec || exe.empty()) {
            return std::string("./");
        }
        std::string exeFolder = exe.parent_path().string();
        if (exeFolder.empty() || exeFolder.back() != '/') {
            exeFolder += '/';
        }
        return ProgramFolderFor(exeFolder, TONQUILL_PRIVATE_FROM_BIN);
    }();
    return folder;
}

}  // namespace tonquill
