#include "app/SingleInstance.h"

#include <unistd.h>
#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace tonquill {
namespace {

// What a later start sends: this word, then its paths.
const QString ActivateRequest = QStringLiteral("activate");
constexpr int ConnectTimeoutMs = 1000;
constexpr int ReplyTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/tonquill-%1.socket").arg(getuid());
}

bool SingleInstance::Claim(const QStringList& paths) {
    // Two starts at the same moment must not both become the first: the claim is made under a
    // lock beside the socket.
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(ConnectTimeoutMs + ReplyTimeoutMs)) {
        // Whoever holds the lock is deciding right now; it will be the window.
        return HandOver(paths) ? false : true;
    }
    if (HandOver(paths)) {
        return false;
    }
    // Nobody answers: a socket file left by a crashed instance must not keep us from listening.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        // Without the socket, later starts open windows of their own; this one still works.
        qWarning("tonquill: cannot listen on %s: %s", qPrintable(socketPath_),
                 qPrintable(server_->errorString()));
        server_.reset();
        return true;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

bool SingleInstance::HandOver(const QStringList& paths) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(ConnectTimeoutMs)) {
        return false;
    }
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << ActivateRequest << paths;
    QDataStream framed(&socket);
    framed << message;
    socket.flush();
    // The first instance answers once it has the request, so no path is lost when this process
    // ends at once.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(ReplyTimeoutMs)) {
            return false;
        }
    }
    return socket.readAll().startsWith("ok");
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (!in.commitTransaction()) {
                return;  // the rest is still on its way
            }
            QDataStream fields(message);
            QString request;
            QStringList paths;
            fields >> request >> paths;
            if (fields.status() != QDataStream::Ok || request != ActivateRequest) {
                socket->disconnectFromServer();
                return;
            }
            emit activationRequested(paths);
            socket->write("ok");
            socket->flush();
        });
    }
}

}  // namespace tonquill
