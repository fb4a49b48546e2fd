#include "convert/CreateFolderPath.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "convert/Format.h"

namespace tonquill {

bool CreateFolderPath(const std::string& path) {
    std::string full = path;
    while (full.size() > 1 && full.back() == '/') {
        full.pop_back();
    }
    if (full.empty()) {
        return false;
    }
    // Walk up until a level can be made (or exists), then come back down one level at a time.
    size_t cursor = full.size();
    bool descending = false;
    while (true) {
        std::string part = full.substr(0, cursor);
        if (::mkdir(part.c_str(), 0777) == 0 || errno == EEXIST) {
            if (cursor == full.size()) {
                std::error_code ec;
                if (std::filesystem::is_directory(full, ec)) {
                    return true;
                }
                errno = ENOTDIR;  // a file holds the folder's name
                return false;
            }
            descending = true;
            size_t next = full.find('/', cursor + 1);
            cursor = next == std::string::npos ? full.size() : next;
            continue;
        }
        // On the way down the parent exists, so any failure is final: some file systems (/proc)
        // answer ENOENT there, and walking up again would never end.
        if (errno != ENOENT || descending) {
            return false;
        }
        size_t prev = part.rfind('/');
        if (prev == std::string::npos || prev == 0) {
            return false;
        }
        cursor = prev;
    }
}

std::string MakeUniquePath(const std::string& path) {
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    // A dot inside a folder name is not an extension.
    if (dot != std::string::npos && slash != std::string::npos && dot < slash) {
        dot = std::string::npos;
    }
    std::string base = dot == std::string::npos ? path : path.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : path.substr(dot);
    std::error_code ec;
    for (int n = 2;; ++n) {
        std::string candidate = Format("%s (%d)%s", base.c_str(), n, ext.c_str());
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ec))) {
            return candidate;
        }
    }
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return "";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace tonquill
