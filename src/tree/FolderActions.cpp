#include "FolderActions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "FolderPropertiesDlg.h"
#include "FreedesktopTrash.h"
#include "base/RenameNoReplace.h"

namespace tonquill {

namespace {

constexpr int kFileManagerTimeoutMs = 3000;

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

bool CFolderActions::Open(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool CFolderActions::ShowPropertiesInFileManager(const QString& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return false;
    }
    // A file manager may be started on demand by the bus, so ask whether one is known at all
    // before calling: a call to a name nobody provides would only time out.
    static const QString service = "org.freedesktop.FileManager1";
    const bool running = bus.interface()->isServiceRegistered(service).value();
    if (!running) {
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "ListActivatableNames"),
                     QDBus::Block, kFileManagerTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
            !reply.arguments().first().toStringList().contains(service)) {
            return false;
        }
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, "/org/freedesktop/FileManager1",
                                                       service, "ShowItemProperties");
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool CFolderActions::ShowProperties(const QString& path, QWidget* owner) {
    if (!QFileInfo::exists(path)) {
        return false;
    }
    if (ShowPropertiesInFileManager(path)) {
        return true;
    }
    auto* dialog = new CFolderPropertiesDlg(path, owner);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return true;
}

bool CFolderActions::MoveToTrash(const QString& path, QString* why) {
    return CFreedesktopTrash::ForThisUser().MoveToTrash(path, why);
}

bool CFolderActions::RemovePermanently(const QString& path, QString* why) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (::unlink(QFile::encodeName(path).constData()) == 0) {
            return true;
        }
        if (why != nullptr) {
            *why = ErrnoText(errno);
        }
        return false;
    }
    if (!info.isDir()) {
        if (why != nullptr) {
            *why = ErrnoText(ENOENT);
        }
        return false;
    }
    if (QDir(path).removeRecursively()) {
        return true;
    }
    if (why != nullptr) {
        *why = QFileInfo::exists(path) ? ErrnoText(EACCES) : ErrnoText(ENOENT);
    }
    return false;
}

bool CFolderActions::RenameNoReplace(const QString& from, const QString& to, QString* why) {
    const int error = tonquill::RenameNoReplace(QFile::encodeName(from).toStdString(),
                                                QFile::encodeName(to).toStdString());
    if (error == 0) {
        return true;
    }
    if (why != nullptr) {
        *why = error == EEXIST ? QStringLiteral("A folder or file of that name already exists.")
                               : ErrnoText(error);
    }
    return false;
}

QString CFolderActions::MakeNewFolderName(const QString& parent) {
    QString base = parent;
    if (base.endsWith('/')) {
        base.chop(1);
    }
    QString candidate = base + "/New Folder";
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n) {
        candidate = QString("%1/New Folder (%2)").arg(base).arg(n);
    }
    return candidate;
}

}  // namespace tonquill
