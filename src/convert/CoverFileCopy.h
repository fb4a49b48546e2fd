#pragma once

#include <string>
#include <vector>

namespace tonquill {

// The cover pictures people keep beside their music (cover.jpg, folder.jpg, front.*, in any
// case), copied to the folder of a source's outputs, so a converted album keeps its picture.
struct CoverCopyResult {
    std::vector<std::string> copied;    // names copied
    std::vector<std::string> problems;  // "name: reason" for each that could not be
};

// Whether a file name is one of the cover pictures.
bool IsCoverFileName(const std::string& name);

// Copies the cover pictures of sourceFolder into outputFolder (both ending with '/'), each only
// when no file of that name is there yet: an existing file is never replaced, so a second copy
// of the same album adds nothing. Nothing happens when both are the same folder.
CoverCopyResult CopyCoverFiles(const std::string& sourceFolder, const std::string& outputFolder);

}  // namespace tonquill
