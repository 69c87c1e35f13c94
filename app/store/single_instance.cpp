#include "app/store/single_instance.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace vantric {
namespace {

constexpr int connectTimeoutMs = 500;
// A running instance holds the lock a moment before it listens; a second launch in that moment
// keeps trying for this long before it gives up.
constexpr int startupGraceMs = 3000;

bool peerIsThisUser(const QLocalSocket& socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
    if (getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return false;
    }
    return credentials.uid == getuid();
}

}  // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      lock_(QDir(folder_).filePath(QStringLiteral("vantric.lock"))) {
    // A lock left by a process that has died is taken over at once; one held by a live process
    // is never considered stale, however old.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_ != nullptr) {
        server_->close();
    }
}

QString SingleInstance::defaultFolder() {
    // Per user and private to them (created 0700 by Qt when the session has none).
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString SingleInstance::socketPath() const {
    return QDir(folder_).filePath(QStringLiteral("vantric.socket"));
}

SingleInstance::Role SingleInstance::claim(const QStringList& urls) {
    QDir().mkpath(folder_);
    const QDeadlineTimer deadline(startupGraceMs);
    while (true) {
        if (lock_.tryLock(0)) {
            return listen() ? Role::running : Role::failed;
        }
        if (forward(urls)) {
            return Role::forwarded;
        }
        if (deadline.hasExpired()) {
            return Role::failed;
        }
        QThread::msleep(50);
    }
}

bool SingleInstance::listen() {
    // Holding the lock, no live instance can own the socket: a file left there is stale.
    QLocalServer::removeServer(socketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath())) {
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

bool SingleInstance::forward(const QStringList& urls) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    QByteArray message;
    if (urls.isEmpty()) {
        message = "raise\n";
    }
    for (const QString& url : urls) {
        message += "open " + url.toUtf8() + '\n';
    }
    if (message.size() > maxMessageBytes) {
        message = "raise\n";
    }
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(connectTimeoutMs);
    }
    return sent;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        pending_.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket* socket) {
    auto found = pending_.find(socket);
    if (found == pending_.end()) {
        return;
    }
    QByteArray& buffer = found.value();
    buffer += socket->readAll();
    bool garbage = buffer.size() > maxMessageBytes;
    qsizetype lineEnd = 0;
    while (!garbage && (lineEnd = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(lineEnd);
        buffer.remove(0, lineEnd + 1);
        const QString text = QString::fromUtf8(line);
        if (line == "raise") {
            emit raiseRequested();
        } else if (line.startsWith("open ") && text.toUtf8() == line) {
            emit urlReceived(text.mid(5));
        } else {
            garbage = true;
        }
    }
    if (garbage) {
        pending_.remove(socket);
        socket->abort();
        socket->deleteLater();
    }
}

}  // namespace vantric
