#include "convert/CoverFileCopy.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/AsciiCase.h"

namespace tonquill {

namespace fs = std::filesystem;

bool IsCoverFileName(const std::string& name) {
    const std::string lower = AsciiLower(name);
    return lower == "cover.jpg" || lower == "folder.jpg" ||
           (lower.rfind("front.", 0) == 0 && lower.size() > 6);
}

CoverCopyResult CopyCoverFiles(const std::string& sourceFolder, const std::string& outputFolder) {
    CoverCopyResult result;
    std::error_code ec;
    if (fs::equivalent(sourceFolder, outputFolder, ec)) {
        return result;
    }
    fs::directory_iterator it(sourceFolder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (!IsCoverFileName(name) || !it->is_regular_file(typeError)) {
            continue;
        }
        std::error_code copyError;
        // skip_existing: the picture a folder has already, ours or the person's, stays.
        if (fs::copy_file(it->path(), fs::path(outputFolder) / name,
                          fs::copy_options::skip_existing, copyError)) {
            result.copied.push_back(name);
        } else if (copyError) {
            result.problems.push_back(name + ": " + copyError.message());
        }
    }
    return result;
}

}  // namespace tonquill
