#include "metadata/RowLoader.h"
#include "metadata/OggContent.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "base/Format.h"
#include "convert/wma/WmaComponent.h"
#include "metadata/MediaProbe.h"
#include "settings/ConversionSettings.h"

namespace tonquill {

std::string RowLoader::FileNamingObserver::Named(const std::string& text) const {
    // A text that names the file already needs no second name.
    if (!nameFiles_ || path_.empty() || text.find(path_) != std::string::npos) {
        return text;
    }
    return path_ + ": " + text;
}

void RowLoader::FileNamingObserver::Log(const std::string& text, LogLevel level) {
    target_.Log(Named(text), level);
}

void RowLoader::FileNamingObserver::Message(const std::string& text, MessageIcon icon) {
    target_.Message(Named(text), icon);
}

RowLoader::RowLoader(ConversionObserver& observer, bool nameFiles)
    : observer_(observer, nameFiles), probe_(std::make_unique<MediaProbe>(observer_, nullptr)) {}

RowLoader::~RowLoader() = default;

std::unique_ptr<PlainFileListRow> RowLoader::Load(const std::string& path) {
    observer_.SetPath(path);
    auto row = std::make_unique<PlainFileListRow>();
    const std::filesystem::path fsPath(path);
    const std::string name = fsPath.filename().string();
    std::string folder = fsPath.parent_path().string();
    folder = folder.empty() ? "./" : folder + (folder.back() == '/' ? "" : "/");
    row->SetCellText(ColumnName, name);
    row->SetCellText(ColumnPath, folder);

    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        row->entry.sizeMegabytes = static_cast<double>(info.st_size) / 1048576.0;
        std::tm local{};
        localtime_r(&info.st_mtime, &local);
        char date[32];
        std::strftime(date, sizeof date, "%Y/%m/%d %H:%M:%S", &local);
        row->SetCellText(ColumnLastModified, date);
    }
    row->SetCellText(ColumnSize, Format("%.2f", row->entry.sizeMegabytes));
    const std::string extension = UpperExtension(name);
    row->entry.type = static_cast<uint8_t>(TypeOfFile(path));
    row->SetCellText(ColumnType, extension);

    MediaProbe* probe = probe_.get();
    if (ReadsThroughWmaComponent(row->entry.type)) {
        if (!wmaTried_) {
            wmaTried_ = true;
            try {
                wmaReader_ = std::make_unique<WmaComponent>();
                wmaProbe_ = std::make_unique<MediaProbe>(observer_, wmaReader_.get());
            } catch (const std::exception& error) {
                observer_.Message(Format("WMA files cannot be read: %s", error.what()),
                                  MessageIcon::Error);
            }
        }
        if (wmaProbe_) {
            probe = wmaProbe_.get();
        }
    }
    probe->ProbeMediaInfo(*row, path);
    probe->ProbeBitrate(*row, path);
    // A terminal tells why a file could not be read; a window's list keeps the reason in the
    // row, where it is seen without stopping the load.
    if (observer_.NamesFiles() && row->entry.unreadable && !row->entry.unreadableReason.empty()) {
        observer_.Message(row->entry.unreadableReason, MessageIcon::Warning);
    }
    return row;
}

}  // namespace tonquill
