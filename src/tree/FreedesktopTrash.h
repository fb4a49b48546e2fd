#pragma once

#include <sys/types.h>

#include <QString>

#include "MountTable.h"

namespace tonquill {

// Moves files and folders into the desktop's trash the way file managers expect to find them:
// the user's own trash under the data folder for the home file system, a trash at the top of
// any other file system, an info file written first with the original place and the time.
// Everything happens by rename, so nothing is copied and nothing is ever written relative to
// the working folder.
class CFreedesktopTrash {
public:
    // `dataHome` is the user's data folder (the trash goes in its "Trash"), `mounts` says which
    // file system a path is on, `uid` names the trash folders at the top of other file systems.
    CFreedesktopTrash(QString dataHome, CMountTable mounts, uid_t uid);
    // This user's trash: $XDG_DATA_HOME (when absolute) or ~/.local/share, the live mount table.
    static CFreedesktopTrash ForThisUser();

    // Moves the item at the absolute `path` (a symbolic link is moved as the link) into the
    // trash. On success `trashedAs`, when given, receives its place in the trash's files folder;
    // on failure nothing has moved and `why` says what stood in the way.
    bool MoveToTrash(const QString& path, QString* why, QString* trashedAs = nullptr) const;

    // The trash folder (holding files/ and info/) an item in `folder` goes to, made when it may
    // be; empty with `why` when there is none to be had.
    QString TrashFolderFor(const QString& folder, QString* why) const;

private:
    QString HomeTrash(QString* why) const;
    QString TopDirTrash(const QString& topDir, QString* why) const;
    bool OnHomeFileSystem(const QString& folder) const;

    QString dataHome_;
    CMountTable mounts_;
    uid_t uid_;
};

}  // namespace tonquill
