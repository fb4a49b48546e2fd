#include "FileTreeIcons.h"

#include <QFileIconProvider>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>

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
    emblem_ = QIcon::fromTheme("emblem-shared");
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

QIcon CFileTreeIcons::Shared(const QIcon& base) const {
    const auto cached = shared_.constFind(base.cacheKey());
    if (cached != shared_.constEnd()) {
        return *cached;
    }
    QIcon shared;
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap = base.pixmap(size, size);
        if (pixmap.isNull()) {
            pixmap = QPixmap(size, size);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const int emblemSize = std::max(8, size / 2);
        const QRect corner(0, size - emblemSize, emblemSize, emblemSize);
        if (!emblem_.isNull()) {
            emblem_.paint(&painter, corner);
        } else {
            // Our own emblem where the theme has none: a small blue disc with a white rim.
            painter.setPen(QPen(Qt::white, 1.5));
            painter.setBrush(QColor(0x2a, 0x6f, 0xd6));
            painter.drawEllipse(QRectF(corner).adjusted(1, 1, -1, -1));
        }
        painter.end();
        shared.addPixmap(pixmap);
    }
    shared_.insert(base.cacheKey(), shared);
    return shared;
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
