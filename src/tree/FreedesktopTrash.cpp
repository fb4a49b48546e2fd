#include "FreedesktopTrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tonquill {

namespace {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void SetWhy(QString* why, const QString& text) {
    if (why != nullptr) {
        *why = text;
    }
}

// The deepest existing folder at or above `path`, resolved, so a data folder that does not
// exist yet still tells which file system it will be made on.
QString ExistingAncestor(QString path) {
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString up = QFileInfo(path).path();
        if (up == path) {
            break;
        }
        path = up;
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool DeviceOf(const QString& path, dev_t* device) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return false;
    }
    *device = st.st_dev;
    return true;
}

// A folder of ours with the given mode, made when missing; a symbolic link or another user's
// folder is never taken for it.
bool EnsureOwnFolder(const QString& path, uid_t uid, QString* why) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        SetWhy(why, QString("cannot create %1: %2").arg(path, ErrnoText(errno)));
        return false;
    }
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) {
        SetWhy(why, QString("cannot read %1: %2").arg(path, ErrnoText(errno)));
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != uid) {
        SetWhy(why, QString("%1 is not a folder of this user").arg(path));
        return false;
    }
    return true;
}

bool EnsureTrashLayout(const QString& trash, uid_t uid, QString* why) {
    return EnsureOwnFolder(trash, uid, why) && EnsureOwnFolder(trash + "/files", uid, why) &&
           EnsureOwnFolder(trash + "/info", uid, why);
}

QString CandidateName(const QString& name, int n) {
    return n == 1 ? name : QString("%1.%2").arg(name).arg(n);
}

QByteArray InfoText(const QString& originalPath) {
    QByteArray text = "[Trash Info]\nPath=";
    text += QUrl::toPercentEncoding(originalPath, "/");
    text += "\nDeletionDate=";
    text += QDateTime::currentDateTime().toString("yyyy-MM-ddTHH:mm:ss").toLatin1();
    text += "\n";
    return text;
}

bool WriteAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

}  // namespace

CFreedesktopTrash::CFreedesktopTrash(QString dataHome, CMountTable mounts, uid_t uid)
    : dataHome_(std::move(dataHome)), mounts_(std::move(mounts)), uid_(uid) {}

CFreedesktopTrash CFreedesktopTrash::ForThisUser() {
    QString dataHome = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (!QDir::isAbsolutePath(dataHome)) {
        // A relative or missing value is to be ignored, never taken from the working folder.
        const QString home = QFile::decodeName(qgetenv("HOME"));
        dataHome = QDir::isAbsolutePath(home) ? QDir::cleanPath(home + "/.local/share") : QString();
    }
    return CFreedesktopTrash(QDir::cleanPath(dataHome), CMountTable::Read(), ::getuid());
}

QString CFreedesktopTrash::HomeTrash(QString* why) const {
    if (!QDir::isAbsolutePath(dataHome_)) {
        SetWhy(why, "the home folder is not known, so there is no trash to move it to");
        return {};
    }
    if (!QDir().mkpath(dataHome_)) {
        SetWhy(why, QString("cannot create %1").arg(dataHome_));
        return {};
    }
    const QString trash = dataHome_ + "/Trash";
    return EnsureTrashLayout(trash, uid_, why) ? trash : QString();
}

QString CFreedesktopTrash::TopDirTrash(const QString& topDir, QString* why) const {
    const QString top = topDir == "/" ? QString() : topDir;
    // The administrator's shared trash counts only when it cannot be a trap: a real folder,
    // not a link, with the sticky bit so that users cannot remove each other's items.
    const QString shared = top + "/.Trash";
    struct stat st {};
    if (::lstat(QFile::encodeName(shared).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) != 0) {
        QString ignored;
        const QString own = QString("%1/%2").arg(shared).arg(uid_);
        if (EnsureTrashLayout(own, uid_, &ignored)) {
            return own;
        }
    }
    const QString own = QString("%1/.Trash-%2").arg(top).arg(uid_);
    QString reason;
    if (EnsureTrashLayout(own, uid_, &reason)) {
        return own;
    }
    SetWhy(why, QString("there is no trash on the file system at %1 (%2)").arg(topDir, reason));
    return {};
}

bool CFreedesktopTrash::OnHomeFileSystem(const QString& folder) const {
    const QString dataPlace = ExistingAncestor(dataHome_);
    const MountedVolume* itemVolume = mounts_.VolumeOf(folder);
    const MountedVolume* homeVolume = mounts_.VolumeOf(dataPlace);
    if (itemVolume != nullptr && homeVolume != nullptr) {
        return itemVolume->mountPoint == homeVolume->mountPoint;
    }
    dev_t itemDevice = 0;
    dev_t homeDevice = 0;
    return DeviceOf(folder, &itemDevice) && DeviceOf(dataPlace, &homeDevice) &&
           itemDevice == homeDevice;
}

QString CFreedesktopTrash::TrashFolderFor(const QString& folder, QString* why) const {
    if (OnHomeFileSystem(folder)) {
        return HomeTrash(why);
    }
    const MountedVolume* volume = mounts_.VolumeOf(folder);
    if (volume == nullptr) {
        SetWhy(why, "the file system holding it is not known");
        return {};
    }
    return TopDirTrash(volume->mountPoint, why);
}

bool CFreedesktopTrash::MoveToTrash(const QString& path, QString* why, QString* trashedAs) const {
    if (!QDir::isAbsolutePath(path)) {
        SetWhy(why, "the path is not absolute");
        return false;
    }
    const QFileInfo item(QDir::cleanPath(path));
    const QString name = item.fileName();
    const QString parent = QFileInfo(item.path()).canonicalFilePath();
    if (name.isEmpty() || parent.isEmpty() || (!item.exists() && !item.isSymLink())) {
        SetWhy(why, ErrnoText(ENOENT));
        return false;
    }
    const QString original = (parent == "/" ? QString() : parent) + "/" + name;
    const QString trash = TrashFolderFor(parent, why);
    if (trash.isEmpty()) {
        return false;
    }
    const QByteArray info = InfoText(original);
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = CandidateName(name, n);
        const QByteArray infoPath = QFile::encodeName(trash + "/info/" + candidate + ".trashinfo");
        const QByteArray filePath = QFile::encodeName(trash + "/files/" + candidate);
        // The info file claims the name; whoever made it first owns it.
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            SetWhy(why, QString("cannot write to the trash: %1").arg(ErrnoText(errno)));
            return false;
        }
        const bool written = WriteAll(fd, info);
        const int writeError = errno;
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.constData());
            SetWhy(why, QString("cannot write to the trash: %1").arg(ErrnoText(writeError)));
            return false;
        }
        struct stat st {};
        if (::lstat(filePath.constData(), &st) == 0) {
            ::unlink(infoPath.constData());  // an item without its info file holds the name
            continue;
        }
        if (::renameat2(AT_FDCWD, QFile::encodeName(original).constData(), AT_FDCWD,
                        filePath.constData(), RENAME_NOREPLACE) == 0 ||
            ((errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) &&
             ::rename(QFile::encodeName(original).constData(), filePath.constData()) == 0)) {
            if (trashedAs != nullptr) {
                *trashedAs = QFile::decodeName(filePath);
            }
            return true;
        }
        const int error = errno;
        ::unlink(infoPath.constData());
        if (error == EEXIST) {
            continue;
        }
        SetWhy(why, error == EXDEV ? QString("the trash %1 is on another file system").arg(trash)
                                   : ErrnoText(error));
        return false;
    }
    SetWhy(why, "the trash has no free name left for it");
    return false;
}

}  // namespace tonquill
