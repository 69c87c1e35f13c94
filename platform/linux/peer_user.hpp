#pragma once

class QLocalSocket;

namespace vantric {

// Whether the process at the other end of a connected local socket runs as this process's user:
// for an accepted connection the client that connected, for a client the server that listens.
// The socket file's mode alone depends on the folder it lives in, so both ends ask the kernel.
// False when the kernel cannot say.
bool peerIsThisUser(const QLocalSocket& socket);

}  // namespace vantric
