#include "base/XdgUserDirs.h"

#include <cstdlib>
#include <fstream>

namespace tonquill {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

std::string XdgUserDir(const std::string& name, const std::string& defaultName) {
    const std::string home = HomeFolder();
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string config = xdg && *xdg == '/' ? xdg : home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    const std::string key = "XDG_" + name + "_DIR=";
    std::string line;
    std::string found;
    while (std::getline(file, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        // Only absolute folders count; "$HOME/" alone would name the home folder itself.
        if (!value.empty() && value.front() == '/') {
            found = value;
        }
    }
    std::string folder = found.empty() ? home + "/" + defaultName : found;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace tonquill
