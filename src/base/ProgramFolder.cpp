#include "base/ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace tonquill {

std::string ProgramFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        return "./";
    }
    std::string folder = exe.parent_path().string();
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace tonquill
