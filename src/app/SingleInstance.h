#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace tonquill {

// One window program per user and display: the first start listens on a local socket named
// after the program and the user; a later start hands its paths (possibly none) to the first,
// which raises its window and loads them, and then ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // socketPath: the socket's full path; DefaultSocketPath() unless a test gives its own.
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The user's runtime folder (or the temporary folder) + "/tonquill-UID.socket".
    static QString DefaultSocketPath();

    // True when this process is the first and now listens; false when a running instance took
    // the paths (the caller then ends). A socket left behind by a crashed instance is replaced.
    bool Claim(const QStringList& paths);

    const QString& SocketPath() const { return socketPath_; }

signals:
    // A later start asked to be the window: raise it and load the paths (when there are any).
    void activationRequested(const QStringList& paths);

private:
    bool HandOver(const QStringList& paths) const;
    void OnNewConnection();

    QString socketPath_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace tonquill
