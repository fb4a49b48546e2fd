#include "metadata/FileScan.h"
#include "metadata/OggContent.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/AsciiCase.h"
#include "base/AudioFormat.h"
#include "base/Format.h"
#include "metadata/FileListEntry.h"
#include "settings/ConversionSettings.h"

namespace tonquill {
namespace fs = std::filesystem;

namespace {

bool ScanOneFolder(const fs::path& folder, const std::vector<std::string>& extensions,
                   bool recursive, const FolderScanHooks& hooks) {
    if (extensions.empty()) {
        return true;
    }
    if (hooks.enterFolder && !hooks.enterFolder(folder.string())) {
        return false;
    }
    std::vector<std::string> files;
    std::vector<fs::path> folders;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        if (hooks.problem) {
            hooks.problem(
                Format("cannot read folder '%s': %s", folder.c_str(), ec.message().c_str()));
        }
        return true;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            break;
        }
        std::error_code typeError;
        if (it->is_symlink(typeError) && it->is_directory(typeError)) {
            continue;
        }
        if (it->is_directory(typeError)) {
            folders.push_back(it->path());
        } else {
            files.push_back(it->path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const auto& extension : extensions) {
        for (const auto& name : files) {
            if (UpperExtension(name) == extension && !hooks.file((folder / name).string())) {
                return false;
            }
        }
    }
    if (recursive) {
        for (const auto& sub : folders) {
            if (!ScanOneFolder(sub, extensions, true, hooks)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool ScanFolder(const std::string& folder, const std::vector<std::string>& extensions,
                bool recursive, const FolderScanHooks& hooks) {
    return ScanOneFolder(fs::path(folder), extensions, recursive, hooks);
}

std::vector<std::string> ScanExtensions(int filter) {
    std::vector<std::string> extensions;
    for (const auto& info : FormatTable) {
        if (filter & info.filterBit) {
            for (const std::string& extension : SourceExtensions(info)) {
                extensions.push_back(AsciiUpper(extension));
            }
        }
    }
    // Ogg files named for no codec: read when any Ogg codec is.
    if (filter & OggFilterBits()) {
        extensions.push_back(OggAudioExtension);
    }
    return extensions;
}

ScanResult ScanPaths(const std::vector<std::string>& paths, int filter, bool recursive) {
    ScanResult result;
    const auto extensions = ScanExtensions(filter);
    for (const auto& given : paths) {
        // Rows hold absolute paths, as the window's do, so the log names each file fully.
        std::error_code ec;
        const fs::path absolute = fs::absolute(given, ec);
        const std::string path = ec ? given : absolute.lexically_normal().string();
        const fs::file_status status = fs::status(path, ec);
        if (ec || !fs::exists(status)) {
            result.problems.push_back(Format("cannot access '%s': %s", given.c_str(),
                                             ec ? ec.message().c_str() : "No such file"));
            result.missingPath = true;
        } else if (fs::is_directory(status)) {
            const size_t before = result.files.size();
            const std::string base = path.back() == '/' ? path : path + '/';
            FolderScanHooks hooks;
            hooks.file = [&result, &base](const std::string& file) {
                result.files.push_back(file);
                result.baseFolders.push_back(base);
                return true;
            };
            hooks.problem = [&result](const std::string& problem) {
                result.problems.push_back(problem);
                result.missingPath = true;
            };
            ScanFolder(path, extensions, recursive, hooks);
            if (result.files.size() == before) {
                result.problems.push_back(Format("no audio files in '%s'%s", given.c_str(),
                                                 recursive ? "" : " (-R scans subfolders)"));
            }
        } else if (TypeOfFile(path) == 0) {
            // An .oga file is named for its container: what it lacks is a stream we read.
            const bool oga = UpperExtension(path.substr(path.rfind('/') + 1)) == OggAudioExtension;
            result.problems.push_back(
                oga ? Format("skipping '%s': its Ogg content is not Vorbis, FLAC or Opus audio, or "
                             "the file is damaged",
                             given.c_str())
                    : Format("skipping '%s': not a %s file", given.c_str(),
                             FormatNamesText("or").c_str()));
        } else {
            result.files.push_back(path);
            result.baseFolders.emplace_back();
        }
    }
    return result;
}

}  // namespace tonquill
