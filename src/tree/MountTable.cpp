#include "MountTable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace tonquill {

namespace {

// The mounts file writes space, tab, newline and backslash in a name as three octal digits.
QString DecodeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && value < 256) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(field[i]);
    }
    return QFile::decodeName(out);
}

// udev writes unsafe characters of a label as \xHH.
QString DecodeUdevName(const QString& name) {
    QByteArray out;
    const QByteArray raw = QFile::encodeName(name);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 3 < raw.size() && raw[i + 1] == 'x') {
            bool ok = false;
            const int value = raw.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(raw[i]);
    }
    return QString::fromUtf8(out);
}

bool IsUnder(const QString& path, const QString& folder) {
    return path.startsWith(folder + '/');
}

bool HasHiddenComponent(const QString& path) {
    return path.contains(QLatin1String("/."));
}

// The kind of a local block device, from what the kernel says of it in sysfs.
DriveKind BlockDeviceKind(const QString& device) {
    const QString resolved = QFileInfo(device).canonicalFilePath();
    const QString node = QFileInfo(resolved.isEmpty() ? device : resolved).fileName();
    if (node.startsWith(QLatin1String("sr"))) {
        return DriveKind::Optical;
    }
    const QString sysPath = QFileInfo("/sys/class/block/" + node).canonicalFilePath();
    if (sysPath.isEmpty()) {
        return DriveKind::Fixed;
    }
    if (sysPath.contains(QLatin1String("/usb"))) {
        return DriveKind::Removable;
    }
    // A partition's removable flag sits on its whole disk, one folder up.
    QString diskPath = sysPath;
    if (QFileInfo::exists(sysPath + "/partition")) {
        diskPath = QFileInfo(sysPath).path();
    }
    QFile removable(diskPath + "/removable");
    if (removable.open(QIODevice::ReadOnly) && removable.readAll().trimmed() == "1") {
        return DriveKind::Removable;
    }
    return DriveKind::Fixed;
}

QHash<QString, QString> LabelsByDevice() {
    QHash<QString, QString> labels;
    QDirIterator it("/dev/disk/by-label", QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString target = it.fileInfo().canonicalFilePath();
        if (!target.isEmpty()) {
            labels.insert(target, DecodeUdevName(it.fileName()));
        }
    }
    return labels;
}

}  // namespace

bool CMountTable::IsNetworkFileSystem(const QString& fsType) {
    static const QSet<QString> types = {
        "nfs",         "nfs4",     "cifs", "smb3",      "smbfs",           "ncpfs",
        "afs",         "ceph",     "9p",   "glusterfs", "fuse.glusterfs",  "fuse.sshfs",
        "sshfs",       "davfs",    "coda", "lustre",    "fuse.gvfsd-fuse", "fuse.rclone",
        "fuse.davfs2", "fuse.s3fs"};
    return types.contains(fsType);
}

bool CMountTable::IsPseudoFileSystem(const QString& fsType) {
    static const QSet<QString> types = {
        "proc",       "sysfs",   "cgroup",         "cgroup2",    "devtmpfs",    "devpts",
        "mqueue",     "debugfs", "tracefs",        "securityfs", "pstore",      "bpf",
        "configfs",   "fusectl", "hugetlbfs",      "autofs",     "binfmt_misc", "overlay",
        "squashfs",   "nsfs",    "rpc_pipefs",     "efivarfs",   "selinuxfs",   "fuse.portal",
        "fuse.lxcfs", "nfsd",    "ramfs_internal", "devfs",      "usbfs",       "none"};
    return types.contains(fsType);
}

CMountTable CMountTable::Read() {
    QFile file("/proc/self/mounts");
    CMountTable table;
    if (file.open(QIODevice::ReadOnly)) {
        table = Parse(file.readAll());
    }
    // Kinds of local devices and their labels come from sysfs and udev, never from the volume.
    const QHash<QString, QString> labels = LabelsByDevice();
    for (MountedVolume& volume : table.volumes_) {
        if (volume.kind != DriveKind::Fixed || !volume.device.startsWith(QLatin1String("/dev/"))) {
            continue;
        }
        volume.kind = BlockDeviceKind(volume.device);
        const QString resolved = QFileInfo(volume.device).canonicalFilePath();
        volume.label = labels.value(resolved.isEmpty() ? volume.device : resolved);
    }
    return table;
}

CMountTable CMountTable::Parse(const QByteArray& mountsText) {
    CMountTable table;
    for (const QByteArray& line : mountsText.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3) {
            continue;
        }
        MountedVolume volume;
        volume.device = DecodeMountField(fields[0]);
        volume.mountPoint = DecodeMountField(fields[1]);
        volume.fsType = QString::fromLatin1(fields[2]);
        if (!volume.mountPoint.startsWith('/')) {
            continue;
        }
        if (IsNetworkFileSystem(volume.fsType)) {
            volume.kind = DriveKind::Remote;
        } else if (volume.fsType == QLatin1String("tmpfs") ||
                   volume.fsType == QLatin1String("ramfs")) {
            volume.kind = DriveKind::RamDisk;
        } else if (volume.fsType == QLatin1String("iso9660") ||
                   volume.fsType == QLatin1String("udf") ||
                   volume.device.startsWith(QLatin1String("/dev/sr"))) {
            volume.kind = DriveKind::Optical;
        }
        table.byMountPoint_.insert(volume.mountPoint, table.volumes_.size());
        table.volumes_.push_back(std::move(volume));
    }
    return table;
}

std::vector<MountedVolume> CMountTable::ShownVolumes() const {
    const QString home = QDir::homePath();
    std::vector<MountedVolume> shown;
    const MountedVolume* root = VolumeAt("/");
    MountedVolume rootVolume = root != nullptr ? *root : MountedVolume{"/", {}, {}, {}, {}};
    rootVolume.kind = DriveKind::Fixed;
    shown.push_back(rootVolume);
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        const MountedVolume& volume = volumes_[i];
        // Only the last mount at a point is what the folder shows.
        if (byMountPoint_.value(volume.mountPoint) != i || volume.mountPoint == "/") {
            continue;
        }
        if (IsPseudoFileSystem(volume.fsType) || HasHiddenComponent(volume.mountPoint)) {
            continue;
        }
        const bool userPlace =
            IsUnder(volume.mountPoint, "/media") || IsUnder(volume.mountPoint, "/run/media") ||
            IsUnder(volume.mountPoint, "/mnt") || (IsUnder(volume.mountPoint, home) && home != "/");
        bool show = false;
        switch (volume.kind) {
            case DriveKind::Remote:
                show = true;
                break;
            case DriveKind::Removable:
            case DriveKind::Optical:
                show = !IsUnder(volume.mountPoint, "/boot");
                break;
            case DriveKind::Fixed:
                show = userPlace && volume.device.startsWith(QLatin1String("/dev/"));
                break;
            case DriveKind::RamDisk:
                show = userPlace;
                break;
        }
        if (show) {
            shown.push_back(volume);
        }
    }
    return shown;
}

std::vector<MountedVolume> CMountTable::NetworkVolumes() const {
    std::vector<MountedVolume> network;
    for (std::size_t i = 0; i < volumes_.size(); ++i) {
        if (volumes_[i].kind == DriveKind::Remote &&
            byMountPoint_.value(volumes_[i].mountPoint) == i) {
            network.push_back(volumes_[i]);
        }
    }
    return network;
}

const MountedVolume* CMountTable::VolumeAt(const QString& path) const {
    const auto it = byMountPoint_.constFind(path);
    return it == byMountPoint_.constEnd() ? nullptr : &volumes_[*it];
}

const MountedVolume* CMountTable::VolumeOf(const QString& path) const {
    const MountedVolume* best = nullptr;
    for (const MountedVolume& volume : volumes_) {
        const bool holds = volume.mountPoint == "/" || path == volume.mountPoint ||
                           IsUnder(path, volume.mountPoint);
        if (holds && (best == nullptr || volume.mountPoint.size() >= best->mountPoint.size())) {
            best = &volume;
        }
    }
    return best;
}

bool CMountTable::IsUntouchable(const QString& path) const {
    const MountedVolume* volume = VolumeAt(path);
    if (volume == nullptr) {
        return false;
    }
    // FUSE file systems hang with their daemon, automount points wait on the mount they start.
    return volume->kind == DriveKind::Remote || volume->kind == DriveKind::Removable ||
           volume->kind == DriveKind::Optical || volume->fsType == QLatin1String("autofs") ||
           volume->fsType.startsWith(QLatin1String("fuse"));
}

}  // namespace tonquill
