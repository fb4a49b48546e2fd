#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include "FileTreeCtrlItemInfo.h"
#include "MountTable.h"

namespace tonquill {

// The tree's icons, from the desktop's icon theme by their freedesktop names, with Qt's own
// drawings where the theme lacks one. Looked up once: a fill of thousands of folders reuses them.
class CFileTreeIcons {
public:
    CFileTreeIcons();

    QIcon Desktop() const { return desktop_; }
    QIcon Home() const { return home_; }
    QIcon Computer() const { return computer_; }
    QIcon Network() const { return network_; }
    QIcon NetworkMount() const { return networkMount_; }
    QIcon Drive(DriveKind kind) const;
    // The icon of a folder: the user's special folders (music, downloads ...) have their own.
    QIcon Folder(const QString& path, bool open) const;
    // `base` with the shared-folder emblem in its lower left corner.
    QIcon Shared(const QIcon& base) const;

private:
    QIcon desktop_, home_, computer_, network_, networkMount_;
    QIcon folder_, folderOpen_;
    QIcon harddisk_, removable_, optical_;
    QHash<QString, QIcon> special_;
    QIcon emblem_;
    mutable QHash<qint64, QIcon> shared_;
};

}  // namespace tonquill
