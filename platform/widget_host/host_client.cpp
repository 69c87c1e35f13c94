#include "platform/widget_host/host_client.hpp"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include "platform/linux/local_line_server.hpp"
#include "platform/linux/peer_user.hpp"

namespace vantric {

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

}  // namespace vantric
