#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace tonquill {

// One spelling for each file, as the file system sees it: the folder resolved to its canonical
// path (once per folder text), the name itself resolved only when it is a symbolic link. Two
// rows reaching one file through links then have one key; names are compared exactly, as Linux
// compares them. A path that does not exist keeps its own spelling.
class CanonicalPathCache {
public:
    CanonicalPathCache() = default;
    ~CanonicalPathCache();
    CanonicalPathCache(const CanonicalPathCache&) = delete;
    CanonicalPathCache& operator=(const CanonicalPathCache&) = delete;

    // folder ends with '/'.
    std::string Key(const std::string& folder, const std::string& name);

private:
    struct Folder {
        std::string canonical;  // ends with '/'
        // The names that are links, read once from the folder's entries; a file system that
        // does not tell entry types has each name looked at through fd instead.
        std::unordered_set<std::string> links;
        bool typesUnknown = false;
        int fd = -1;
    };
    Folder& Resolve(const std::string& folder);
    static void ReadLinks(const std::string& folder, Folder& entry);

    std::unordered_map<std::string, Folder> folders_;
    const std::string* lastText_ = nullptr;
    Folder* last_ = nullptr;
};

}  // namespace tonquill
