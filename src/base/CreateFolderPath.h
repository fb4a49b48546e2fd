#pragma once

#include <string>

namespace tonquill {

// Creates a folder and every missing parent. An existing folder counts as success.
bool CreateFolderPath(const std::string& path);

// The first free variant "base (n).ext" of an output path, n = 2, 3, ... The search starts
// after the number this process last gave the same path, while that one is still taken.
std::string MakeUniquePath(const std::string& path);

// The folder part of a path (before its last '/'), or "" when it has none.
std::string FolderOf(const std::string& path);

}  // namespace tonquill
