#include "SubfolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <QFile>

namespace tonquill {

namespace {

// Walks the shown subfolders, calling `take` with each name until it answers false.
template <typename Take>
bool ForEachSubfolder(const QString& folder, Take take) {
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
            struct stat st {};
            isDir = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir && !take(entry->d_name)) {
            break;
        }
    }
    closedir(dir);
    return true;
}

}  // namespace

bool CSubfolderReader::Read(const QString& folder, std::vector<QString>& names) {
    return ForEachSubfolder(folder, [&names](const char* name) {
        names.push_back(QFile::decodeName(name));
        return true;
    });
}

bool CSubfolderReader::HasSubfolder(const QString& folder) {
    bool found = false;
    ForEachSubfolder(folder, [&found](const char*) {
        found = true;
        return false;
    });
    return found;
}

}  // namespace tonquill
