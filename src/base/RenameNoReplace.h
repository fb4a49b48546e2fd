#pragma once

#include <string>

namespace tonquill {

// Moves a file or folder to a new name within its file system, never replacing what already
// has that name (plain rename(2) would silently destroy it). Where the file system cannot
// refuse atomically, a hard link to the new name followed by removing the old one does the
// same for files, and an empty placeholder folder claimed under the new name for folders. Returns
// 0, or the errno value of the failure (EEXIST when the name is taken).
int RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace tonquill
