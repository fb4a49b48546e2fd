#pragma once

#include <QString>

class QWidget;

namespace tonquill {

// The file-system side of the folder commands. Each answers whether it worked and, when it did
// not, the system's reason in `why`.
class CFolderActions {
public:
    // Opens the folder with the desktop's handler (the file manager).
    static bool Open(const QString& path);
    // Asks the desktop's file manager to show the folder's properties; when none answers, shows
    // our own properties dialog, owned by `owner`.
    static bool ShowProperties(const QString& path, QWidget* owner);
    // Asks the file manager alone; false when no file manager answers.
    static bool ShowPropertiesInFileManager(const QString& path);
    // Moves the folder to the desktop's trash (freedesktop trash).
    static bool MoveToTrash(const QString& path, QString* why);
    // Removes the folder and everything in it. A link to a folder loses the link alone.
    static bool RemovePermanently(const QString& path, QString* why);
    // Renames without ever replacing what is at `to`: fails when `to` exists.
    static bool RenameNoReplace(const QString& from, const QString& to, QString* why);
    // The first free "New Folder", "New Folder (2)", ... inside `parent`, as a full path.
    static QString MakeNewFolderName(const QString& parent);
};

}  // namespace tonquill
