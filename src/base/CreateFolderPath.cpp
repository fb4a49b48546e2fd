#include "base/CreateFolderPath.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include <sys/stat.h>

#include "base/Format.h"

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

namespace {

bool PathExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

// Where the search for a free number starts, per output name. A batch whose outputs share a
// name would otherwise test 2, 3, ... anew for each file: n files, n * n / 2 look-ups. A
// remembered start counts only while the number below it is still taken, so a name whose
// numbered files were deleted starts from 2 again.
class NumberHints {
public:
    int Start(const std::string& key) {
        std::lock_guard lock(mutex_);
        const auto found = next_.find(key);
        return found == next_.end() ? 2 : found->second;
    }

    void Taken(const std::string& key, int number) {
        std::lock_guard lock(mutex_);
        // Bounded: a long-lived window converting many batches of distinct names starts over.
        if (next_.size() >= MaxNames && next_.find(key) == next_.end()) {
            next_.clear();
        }
        int& next = next_[key];
        next = std::max(next, number + 1);
    }

private:
    static constexpr size_t MaxNames = 100000;
    std::mutex mutex_;
    std::unordered_map<std::string, int> next_;
};

NumberHints& Hints() {
    static NumberHints hints;
    return hints;
}

}  // namespace

std::string MakeUniquePath(const std::string& path) {
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    // A dot inside a folder name is not an extension.
    if (dot != std::string::npos && slash != std::string::npos && dot < slash) {
        dot = std::string::npos;
    }
    std::string base = dot == std::string::npos ? path : path.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : path.substr(dot);
    const auto numbered = [&](int n) { return Format("%s (%d)%s", base.c_str(), n, ext.c_str()); };
    int n = Hints().Start(path);
    if (n > 2 && !PathExists(numbered(n - 1))) {
        n = 2;
    }
    for (;; ++n) {
        std::string candidate = numbered(n);
        if (!PathExists(candidate)) {
            Hints().Taken(path, n);
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
