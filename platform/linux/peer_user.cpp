#include "platform/linux/peer_user.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <QLocalSocket>

namespace vantric {

bool peerIsThisUser(const QLocalSocket& socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
    if (descriptor < 0 ||
        getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return false;
    }
    return credentials.uid == geteuid();
}

}  // namespace vantric
