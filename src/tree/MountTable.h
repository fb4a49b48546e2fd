#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace tonquill {

// Drive kinds, as bits so that a mask can hide some of them.
enum class DriveKind : unsigned {
    Removable = 0x01,
    Fixed = 0x02,
    Remote = 0x04,
    Optical = 0x10,
    RamDisk = 0x20,
};

// One mounted volume.
struct MountedVolume {
    QString mountPoint;
    QString device;
    QString fsType;
    DriveKind kind = DriveKind::Fixed;
    QString label;  // the file system's label when the system knows one, else empty
};

// The volumes mounted here, read from the kernel's mount list without touching any of them:
// a dead network server or an empty drive never blocks the reading.
class CMountTable {
public:
    // The live table of this process's mount namespace.
    static CMountTable Read();
    // A table from the text of a mounts file (/proc/self/mounts format).
    static CMountTable Parse(const QByteArray& mountsText);

    // The volumes a file manager's sidebar offers: "/" first, then removable media, the
    // user's own mounts and the network file systems, in mount order; pseudo file systems and
    // the system's internal mounts are left out.
    std::vector<MountedVolume> ShownVolumes() const;
    // The network file systems mounted here, in mount order.
    std::vector<MountedVolume> NetworkVolumes() const;
    // The volume mounted exactly at `path`, or null.
    const MountedVolume* VolumeAt(const QString& path) const;
    // The volume holding `path` (the one with the longest mount point that contains it).
    const MountedVolume* VolumeOf(const QString& path) const;
    // True for a mount point that must never be read just to draw an expand button: network,
    // removable and optical volumes, FUSE file systems and automount points.
    bool IsUntouchable(const QString& path) const;

    static bool IsNetworkFileSystem(const QString& fsType);
    static bool IsPseudoFileSystem(const QString& fsType);

private:
    std::vector<MountedVolume> volumes_;
    QHash<QString, std::size_t> byMountPoint_;  // the last mount at each point wins
};

}  // namespace tonquill
