#include "app/CanonicalPathCache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace tonquill {

namespace {

bool RealPath(const std::string& path, std::string& resolved) {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return false;
    }
    resolved = real;
    std::free(real);
    return true;
}

}  // namespace

void CanonicalPathCache::ReadLinks(const std::string& folder, Folder& entry) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* item = readdir(dir)) {
        if (item->d_type == DT_LNK) {
            entry.links.insert(item->d_name);
        } else if (item->d_type == DT_UNKNOWN) {
            entry.typesUnknown = true;
        }
    }
    closedir(dir);
    if (entry.typesUnknown) {
        entry.fd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
}

CanonicalPathCache::~CanonicalPathCache() {
    for (auto& [text, folder] : folders_) {
        if (folder.fd >= 0) {
            close(folder.fd);
        }
    }
}

CanonicalPathCache::Folder& CanonicalPathCache::Resolve(const std::string& folder) {
    // Rows of one folder mostly come together.
    if (last_ != nullptr && *lastText_ == folder) {
        return *last_;
    }
    auto [it, inserted] = folders_.try_emplace(folder);
    if (inserted) {
        Folder& entry = it->second;
        if (RealPath(folder, entry.canonical)) {
            if (entry.canonical.empty() || entry.canonical.back() != '/') {
                entry.canonical += '/';
            }
            ReadLinks(folder, entry);
        } else {
            entry.canonical = folder;
        }
    }
    lastText_ = &it->first;
    last_ = &it->second;
    return it->second;
}

std::string CanonicalPathCache::Key(const std::string& folder, const std::string& name) {
    const Folder& resolved = Resolve(folder);
    struct stat info {};
    const bool link = resolved.typesUnknown ? resolved.fd >= 0 &&
                                                  fstatat(resolved.fd, name.c_str(), &info,
                                                          AT_SYMLINK_NOFOLLOW) == 0 &&
                                                  S_ISLNK(info.st_mode)
                                            : resolved.links.count(name) != 0;
    if (link) {
        std::string target;
        if (RealPath(resolved.canonical + name, target)) {
            return target;
        }
    }
    return resolved.canonical + name;
}

}  // namespace tonquill
