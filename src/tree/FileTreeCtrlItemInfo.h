#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tonquill {

// The kinds of tree nodes. Network covers the Network root and every node below it.
enum class FileTreeNodeType : std::uint8_t {
    Desktop = 0,
    Network = 1,
    MyDocuments = 2,
    MyComputer = 3,
    UserProfile = 4,
    File = 5,
    Folder = 6,
    Drive = 7,
    Unset = 8,
};

// A mounted network file system that a Network node stands for.
struct NetResource {
    QString device;      // what was mounted: "server:/export", "//server/share", ...
    QString fsType;      // "nfs4", "cifs", "fuse.sshfs", ...
    QString mountPoint;  // where it is mounted here
};

// One record per tree node, owned by the node.
struct CFileTreeCtrlItemInfo {
    // Full path of the folder, drive or special folder; empty for Computer and the Network root.
    QString path;
    // The folder's own name (path components are matched against it); the path for drives.
    QString name;
    // For network nodes: the mount they stand for.
    std::optional<NetResource> netResource;
    FileTreeNodeType nodeType = FileTreeNodeType::Unset;
    // File nodes only; this program shows folders alone.
    bool extensionHidden = false;
};

}  // namespace tonquill
