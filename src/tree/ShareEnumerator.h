#pragma once

#include <QSet>
#include <QString>

namespace tonquill {

// The folders this computer shares on the network: Samba's user shares, one file per share
// holding a "path=" line. An absent or unreadable share folder means nothing is shared.
class CShareEnumerator {
public:
    static constexpr const char* DefaultFolder = "/var/lib/samba/usershares";

    explicit CShareEnumerator(QString folder = DefaultFolder) : folder_(std::move(folder)) {}

    // Reads the share list again.
    void Enumerate();
    // True when `path` is exactly the path of a share.
    bool IsSharedPath(const QString& path) const;

private:
    QString folder_;
    QSet<QString> paths_;
};

}  // namespace tonquill
