#include "app/store/single_instance.hpp"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

#include "platform/linux/peer_user.hpp"

namespace vantric {
namespace {

constexpr int connectTimeoutMs = 500;
// A running instance holds the lock a moment before it listens; a second launch in that moment
// keeps trying for this long before it gives up.
constexpr int startupGraceMs = 3000;

}  // namespace

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      lock_(QDir(folder_).filePath(QStringLiteral("vantric.lock"))),
      server_([this](const QString& line) { return handle(line); }) {
    // A lock left by a process that has died is taken over at once; one held by a live process
    // is never considered stale, however old.
    lock_.setStaleLockTime(0);
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
    return server_.listen(socketPath());
}

bool SingleInstance::forward(const QStringList& urls) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    // The URLs go only to this user's own instance.
    if (!socket.waitForConnected(connectTimeoutMs) || !peerIsThisUser(socket)) {
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

std::optional<QByteArray> SingleInstance::handle(const QString& line) {
    if (line == QStringLiteral("raise")) {
        emit raiseRequested();
        return QByteArray();
    }
    if (line.startsWith(QStringLiteral("open "))) {
        emit urlReceived(line.mid(5));
        return QByteArray();
    }
    return std::nullopt;
}

}  // namespace vantric
