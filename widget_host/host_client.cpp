#include "widget_host/host_client.hpp"

#include <utility>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include "platform/linux/local_line_server.hpp"
#include "platform/linux/peer_user.hpp"

namespace vantric {

namespace {

QObject* applicationOnThisThread() {
    QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr && application->thread() == QThread::currentThread() ? application
                                                                                       : nullptr;
}

// One request in flight on the event loop: connects, checks the peer, writes the request and
// collects the reply line, giving up when the budget is spent. Deletes itself once it has
// answered.
class PendingHostCall final : public QObject {
public:
    // A call still in flight when the application ends goes with it.
    PendingHostCall(const QString& socketPath, HostRequest request, HostReply reply)
        : QObject(applicationOnThisThread()),
          socketPath_(socketPath),
          request_(request),
          reply_(std::move(reply)) {
        connectSoon_.setSingleShot(true);
        connect(&connectSoon_, &QTimer::timeout, this, &PendingHostCall::connectNow);
        deadline_.setSingleShot(true);
        connect(&deadline_, &QTimer::timeout, this, [this] { finish(std::nullopt); });
        connect(&socket_, &QLocalSocket::connected, this, &PendingHostCall::send);
        connect(&socket_, &QLocalSocket::readyRead, this, &PendingHostCall::receive);
        connect(&socket_, &QLocalSocket::errorOccurred, this, [this] { finish(std::nullopt); });
        connect(&socket_, &QLocalSocket::disconnected, this, [this] { finish(std::nullopt); });
    }

    // From the event loop, so that even a connection that fails at once answers from there.
    void start() { connectSoon_.start(0); }

private:
    void connectNow() {
        deadline_.start(hostAnswerBudgetMs);
        socket_.connectToServer(socketPath_);
    }

    void send() {
        // Whatever listens there must be this user's own host before it hears anything.
        if (!peerIsThisUser(socket_)) {
            finish(std::nullopt);
            return;
        }
        socket_.write(requestLine(request_) + '\n');
    }

    void receive() {
        received_ += socket_.readAll();
        const qsizetype lineEnd = received_.indexOf('\n');
        if (lineEnd >= 0) {
            finish(received_.left(lineEnd));
        } else if (received_.size() > LocalLineServer::maxPendingBytes) {
            finish(std::nullopt);
        }
    }

    void finish(const std::optional<QByteArray>& answer) {
        if (!reply_) {
            return;
        }
        deadline_.stop();
        socket_.disconnect(this);
        socket_.abort();
        std::exchange(reply_, nullptr)(answer);
        deleteLater();
    }

    QString socketPath_;
    HostRequest request_;
    HostReply reply_;
    QLocalSocket socket_;
    QTimer connectSoon_;
    QTimer deadline_;
    QByteArray received_;
};

}  // namespace

std::optional<QByteArray> askHost(const QString& socketPath, HostRequest request) {
    const QDeadlineTimer deadline(hostAnswerBudgetMs);
    QLocalSocket socket;
    // A missing socket file, or one nobody listens on, fails here at once.
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return std::nullopt;
    }
    // Whatever listens there must be this user's own host before it hears anything.
    if (!peerIsThisUser(socket)) {
        return std::nullopt;
    }
    socket.write(requestLine(request) + '\n');
    QByteArray received;
    qsizetype lineEnd = -1;
    while ((lineEnd = received.indexOf('\n')) < 0) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return std::nullopt;
        }
        received += socket.readAll();
        if (received.size() > LocalLineServer::maxPendingBytes) {
            return std::nullopt;
        }
    }
    socket.disconnectFromServer();
    return received.left(lineEnd);
}

void askHostLater(const QString& socketPath, HostRequest request, HostReply reply) {
    (new PendingHostCall(socketPath, request, std::move(reply)))->start();
}

}  // namespace vantric
