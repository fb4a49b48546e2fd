#include "SubfolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include "MountTable.h"

namespace tonquill {

namespace {

// True when looking at the entry could wait on a volume that may never answer: the entry is
// such a mount point, or a link whose target lies on a network volume or is such a mount point.
bool MustNotLook(const QString& folder, int fd, const dirent& entry, const CMountTable& mounts) {
    const QString path = QDir(folder).filePath(QFile::decodeName(entry.d_name));
    if (entry.d_type == DT_UNKNOWN) {
        return mounts.IsUntouchable(path);
    }
    char target[4096];
    const ssize_t length = ::readlinkat(fd, entry.d_name, target, sizeof(target) - 1);
    if (length <= 0) {
        return false;
    }
    const QString resolved = QDir::cleanPath(
        QDir(folder).absoluteFilePath(QFile::decodeName(QByteArray(target, length))));
    const MountedVolume* volume = mounts.VolumeOf(resolved);
    return mounts.IsUntouchable(resolved) ||
           (volume != nullptr && volume->kind == DriveKind::Remote);
}

// Walks the shown subfolders, calling `take` with each name until it answers false.
template <typename Take>
bool ForEachSubfolder(const QString& folder, const CMountTable* mounts, Take take) {
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) {
        return false;
    }
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        // Hidden names (this also skips "." and "..").
        if (entry->d_name[0] == '.') {
            continue;
        }
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            if (mounts != nullptr && MustNotLook(folder, fd, *entry, *mounts)) {
                isDir = true;
            } else {
                struct stat st {};
                isDir = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
        }
        if (isDir && !take(entry->d_name)) {
            break;
        }
    }
    closedir(dir);
    return true;
}

}  // namespace

bool CSubfolderReader::Read(const QString& folder, std::vector<QString>& names,
                            const CMountTable* mounts) {
    return ForEachSubfolder(folder, mounts, [&names](const char* name) {
        names.push_back(QFile::decodeName(name));
        return true;
    });
}

bool CSubfolderReader::HasSubfolder(const QString& folder, const CMountTable* mounts) {
    bool found = false;
    ForEachSubfolder(folder, mounts, [&found](const char*) {
        found = true;
        return false;
    });
    return found;
}

}  // namespace tonquill
