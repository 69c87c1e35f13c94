#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/linux/line_buffer.hpp"

class QLocalServer;
class QLocalSocket;

namespace vantric {

// A private local socket that takes requests as lines of UTF-8 and answers each with a line.
//
// The socket is made so that only its owner can open it, and every connection's peer
// credentials are checked as well, since the file mode alone depends on the folder it lives in.
// A connection that sends a line the handler refuses, invalid UTF-8, or more than
// maxPendingBytes without a newline is dropped; the server goes on serving the others.
//
// It holds up under a client that floods it: at most maxConnections connections at once (a new
// one ends the connection that has gone longest without a line), none kept more than
// idleTimeoutMs without a whole line, so at most maxConnections x maxPendingBytes waits in its
// buffers. Should accepting still fail (the process out of descriptors), Qt stops listening and
// removes the socket file; the server then listens again within a second, once it can, so that
// the next client always finds it. Its watch runs only while connections are open, which is
// when descriptors can run out, so that a server nobody talks to never wakes.
//
// Lives on the thread that made it; the handler runs there.
class LocalLineServer : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype maxPendingBytes = LineBuffer::maxPendingBytes;
    static constexpr int maxConnections = 64;
    static constexpr std::chrono::milliseconds idleTimeout{3000};

    // The reply to one line, without its newline (empty: nothing is sent back), or nullopt when
    // the line is garbage and its connection is to be dropped.
    using Handler = std::function<std::optional<QByteArray>(const QString& line)>;

    explicit LocalLineServer(Handler handler, QObject* parent = nullptr);
    ~LocalLineServer() override;

    // Listens on path, taking over a file left there. The caller must already know that no live
    // server owns the path (by holding a lock): listening would take the name from it.
    bool listen(const QString& path);

    int connectionCount() const { return static_cast<int>(connections_.size()); }

private:
    struct Connection {
        LineBuffer lines;
        std::chrono::steady_clock::time_point lastLine;
    };

    bool startListening();
    void accept();
    void readFrom(QLocalSocket* socket);
    void drop(QLocalSocket* socket);
    void watch();

    Handler handler_;
    QString path_;
    QLocalServer* server_ = nullptr;
    QHash<QLocalSocket*, Connection> connections_;
    QTimer watch_;
};

}  // namespace vantric
