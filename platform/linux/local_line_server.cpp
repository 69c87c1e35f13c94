#include "platform/linux/local_line_server.hpp"

#include <utility>

#include <QLocalServer>
#include <QLocalSocket>

#include "platform/linux/peer_user.hpp"

namespace vantric {

LocalLineServer::LocalLineServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

LocalLineServer::~LocalLineServer() {
    if (server_ != nullptr) {
        server_->close();
    }
}

bool LocalLineServer::listen(const QString& path) {
    QLocalServer::removeServer(path);
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &LocalLineServer::accept);
    return true;
}

void LocalLineServer::accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt would otherwise buffer whatever a client sends before this server sees any of it.
        socket->setReadBufferSize(maxPendingBytes);
        pending_.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void LocalLineServer::readFrom(QLocalSocket* socket) {
    const auto found = pending_.find(socket);
    if (found == pending_.end()) {
        return;
    }
    // Taken out of the table while the handler runs, so nothing it does can leave a reference
    // into the table dangling.
    QByteArray buffer = std::exchange(found.value(), {}) + socket->readAll();
    qsizetype lineEnd = 0;
    while ((lineEnd = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(lineEnd);
        buffer.remove(0, lineEnd + 1);
        const QString text = QString::fromUtf8(line);
        // Invalid sequences decode to replacement characters, which do not encode back to the
        // same bytes.
        const bool garbage = line.size() > maxPendingBytes || text.toUtf8() != line;
        const std::optional<QByteArray> reply = garbage ? std::nullopt : handler_(text);
        if (!reply) {
            drop(socket);
            return;
        }
        if (!reply->isEmpty()) {
            socket->write(*reply + '\n');
        }
    }
    if (buffer.size() > maxPendingBytes) {
        drop(socket);
        return;
    }
    // The connection may have been closed while the handler ran.
    if (const auto still = pending_.find(socket); still != pending_.end()) {
        still.value() = buffer;
    }
}

void LocalLineServer::drop(QLocalSocket* socket) {
    pending_.remove(socket);
    socket->abort();
    socket->deleteLater();
}

}  // namespace vantric
