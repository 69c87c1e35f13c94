#include "platform/linux/local_line_server.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include <QLocalServer>
#include <QLocalSocket>

#include "platform/linux/peer_user.hpp"

namespace vantric {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds watchInterval{1000};

}  // namespace

LocalLineServer::LocalLineServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    watch_.setInterval(watchInterval);
    connect(&watch_, &QTimer::timeout, this, &LocalLineServer::watch);
}

LocalLineServer::~LocalLineServer() {
    if (server_ != nullptr) {
        server_->close();
    }
}

bool LocalLineServer::listen(const QString& path) {
    path_ = path;
    watch_.start();
    return startListening();
}

bool LocalLineServer::startListening() {
    QLocalServer::removeServer(path_);
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
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
        if (connectionCount() >= maxConnections) {
            const auto longestIdle = std::min_element(
                connections_.cbegin(), connections_.cend(),
                [](const Connection& a, const Connection& b) { return a.lastLine < b.lastLine; });
            drop(longestIdle.key());
        }
        // Qt would otherwise buffer whatever a client sends before this server sees any of it.
        socket->setReadBufferSize(maxPendingBytes);
        connections_.insert(socket, Connection{.lines = {}, .lastLine = Clock::now()});
        watch_.start();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            connections_.remove(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void LocalLineServer::readFrom(QLocalSocket* socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) {
        return;
    }
    const auto lines = found->lines.take(socket->readAll());
    if (!lines) {
        drop(socket);
        return;
    }
    if (!lines->empty()) {
        found->lastLine = Clock::now();
    }
    for (const QString& line : *lines) {
        const std::optional<QByteArray> reply = handler_(line);
        // The handler may have closed the connection, or the whole server.
        if (!connections_.contains(socket)) {
            return;
        }
        if (!reply) {
            drop(socket);
            return;
        }
        if (!reply->isEmpty()) {
            socket->write(*reply + '\n');
        }
    }
}

void LocalLineServer::drop(QLocalSocket* socket) {
    connections_.remove(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void LocalLineServer::watch() {
    const auto now = Clock::now();
    std::vector<QLocalSocket*> idle;
    for (auto connection = connections_.cbegin(); connection != connections_.cend(); ++connection) {
        if (now - connection->lastLine >= idleTimeout) {
            idle.push_back(connection.key());
        }
    }
    for (QLocalSocket* socket : idle) {
        drop(socket);
    }
    if (server_ == nullptr || !server_->isListening()) {
        startListening();
    }
    // With no connection there is nothing to time out, and accepting cannot have failed for
    // want of descriptors since the last look: an idle server costs no wake-ups.
    if (connections_.isEmpty() && server_ != nullptr && server_->isListening()) {
        watch_.stop();
    }
}

}  // namespace vantric
