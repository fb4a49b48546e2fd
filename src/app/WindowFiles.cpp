#include "app/WindowFiles.h"

#include <filesystem>
#include <memory>

#include "metadata/FileListEntry.h"
#include "metadata/FileListRow.h"
#include "metadata/MediaProbe.h"
#include "metadata/OggContent.h"
#include "metadata/RowTaskSource.h"
#include "settings/ConversionSettings.h"

namespace tonquill {
namespace {

// A file-list row of one file, probed as a load probes it; nothing when it cannot be read.
std::unique_ptr<PlainFileListRow> ProbeFile(const std::string& path, MediaProbe& probe) {
    auto row = std::make_unique<PlainFileListRow>();
    const std::filesystem::path fsPath = std::filesystem::absolute(path);
    const std::string name = fsPath.filename().string();
    std::string folder = fsPath.parent_path().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    row->SetCellText(ColumnName, name);
    row->SetCellText(ColumnPath, folder);
    const std::string extension = UpperExtension(name);
    row->entry.type = static_cast<uint8_t>(TypeOfFile(fsPath.string()));
    row->SetCellText(ColumnType, extension);
    if (row->entry.type == 0) {
        return nullptr;
    }
    probe.ProbeMediaInfo(*row, fsPath.string());
    if (row->entry.unreadable) {
        return nullptr;
    }
    return row;
}

}  // namespace

WindowFiles ProbeWindowFiles(const std::vector<std::string>& files, MediaProbe& probe) {
    WindowFiles result;
    for (const std::string& path : files) {
        if (auto row = ProbeFile(path, probe)) {
            result.sources.push_back(MakeTaskSource(*row));
        } else {
            result.unreadable.push_back(path);
        }
    }
    return result;
}

}  // namespace tonquill
