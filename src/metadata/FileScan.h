#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tonquill {

// The extensions a folder scan searches, in the order of the accepted-types list.
std::vector<std::string> ScanExtensions(int filter);

// What a folder scan reports as it goes. enterFolder (optional) hears of each folder before its
// files, file of each file found; either stops the scan by answering false. problem (optional)
// hears of a folder that cannot be read, which the scan then passes over.
struct FolderScanHooks {
    std::function<bool(const std::string& folder)> enterFolder;
    std::function<bool(const std::string& file)> file;
    std::function<void(const std::string& problem)> problem;
};

// A folder's files grouped by extension in the order given (extensions in upper case, matched
// regardless of case), each group sorted by name, then (recursive) its subfolders depth-first.
// Nothing at all when extensions is empty. Symbolic links to folders are not followed, so a
// link loop cannot make the scan endless. Returns false when a hook stopped it.
bool ScanFolder(const std::string& folder, const std::vector<std::string>& extensions,
                bool recursive, const FolderScanHooks& hooks);

// What a list of paths names: the audio files to work on, in order, and one line for
// each path that gave nothing (missing, unreadable, not an audio type, a folder without audio).
struct ScanResult {
    std::vector<std::string> files;
    // For each file, the folder given that it was found in, ending with '/'; empty for a file
    // given on its own.
    std::vector<std::string> baseFolders;
    std::vector<std::string> problems;
    bool missingPath = false;  // a path did not exist or could not be read
};

// Files named directly are taken when their extension is an audio type (as a drop takes them);
// folders contribute their files as ScanFolder finds them.
ScanResult ScanPaths(const std::vector<std::string>& paths, int filter, bool recursive);

}  // namespace tonquill
