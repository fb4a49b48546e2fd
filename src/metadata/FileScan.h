#pragma once

#include <string>
#include <vector>

namespace tonquill {

// The extensions a folder scan searches, in the order of the accepted-types list.
std::vector<std::string> ScanExtensions(int filter);

// What a list of paths names: the audio files to work on, in order, and one line for
// each path that gave nothing (missing, unreadable, not an audio type, a folder without audio).
struct ScanResult {
    std::vector<std::string> files;
    std::vector<std::string> problems;
    bool missingPath = false;  // a path did not exist or could not be read
};

// Files named directly are taken when their extension is an audio type (as a drop takes them);
// folders contribute their files grouped by extension in filter order, each group sorted by
// name, then (recursive) their subfolders depth-first, as a folder load does. Symbolic links to
// folders are not followed, so a link loop cannot make the scan endless.
ScanResult ScanPaths(const std::vector<std::string>& paths, int filter, bool recursive);

}  // namespace tonquill
