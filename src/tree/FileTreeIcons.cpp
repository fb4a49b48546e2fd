#include "FileTreeIcons.h"

#include <QFileIconProvider>
#include <QStandardPaths>

namespace tonquill {

CFileTreeIcons::CFileTreeIcons() {
    const QFileIconProvider provider;
    folder_ = QIcon::fromTheme("folder", provider.icon(QFileIconProvider::Folder));
    folderOpen_ = QIcon::fromTheme("folder-open", folder_);
    desktop_ = QIcon::fromTheme("user-desktop", provider.icon(QFileIconProvider::Desktop));
    home_ = QIcon::fromTheme("user-home", folder_);
    computer_ = QIcon::fromTheme("computer", provider.icon(QFileIconProvider::Computer));
    network_ = QIcon::fromTheme("network-workgroup", provider.icon(QFileIconProvider::Network));
    networkMount_ = QIcon::fromTheme("folder-remote", network_);
    harddisk_ = QIcon::fromTheme("drive-harddisk", provider.icon(QFileIconProvider::Drive));
    removable_ = QIcon::fromTheme("drive-removable-media", harddisk_);
    optical_ = QIcon::fromTheme("media-optical", harddisk_);
    const struct {
        QStandardPaths::StandardLocation location;
        const char* name;
    } specials[] = {
        {QStandardPaths::MusicLocation, "folder-music"},
        {QStandardPaths::DocumentsLocation, "folder-documents"},
        {QStandardPaths::DownloadLocation, "folder-download"},
        {QStandardPaths::PicturesLocation, "folder-pictures"},
        {QStandardPaths::MoviesLocation, "folder-videos"},
        {QStandardPaths::DesktopLocation, "user-desktop"},
    };
    const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    for (const auto& special : specials) {
        const QString path = QStandardPaths::writableLocation(special.location);
        if (!path.isEmpty() && path != home) {
            special_.insert(path, QIcon::fromTheme(special.name, folder_));
        }
    }
}

QIcon CFileTreeIcons::Drive(DriveKind kind) const {
    switch (kind) {
        case DriveKind::Removable:
            return removable_;
        case DriveKind::Optical:
            return optical_;
        case DriveKind::Remote:
            return networkMount_;
        case DriveKind::Fixed:
        case DriveKind::RamDisk:
            break;
    }
    return harddisk_;
}

QIcon CFileTreeIcons::Folder(const QString& path, bool open) const {
    const auto it = special_.constFind(path);
    if (it != special_.constEnd()) {
        return *it;
    }
    return open ? folderOpen_ : folder_;
}

}  // namespace tonquill
