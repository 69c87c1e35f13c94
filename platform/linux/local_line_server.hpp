#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

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
// Lives on the thread that made it; the handler runs there.
class LocalLineServer : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype maxPendingBytes = qsizetype{16} * 1024;

    // The reply to one line, without its newline (empty: nothing is sent back), or nullopt when
    // the line is garbage and its connection is to be dropped.
    using Handler = std::function<std::optional<QByteArray>(const QString& line)>;

    explicit LocalLineServer(Handler handler, QObject* parent = nullptr);
    ~LocalLineServer() override;

    // Listens on path, taking over a file left there. The caller must already know that no live
    // server owns the path (by holding a lock): listening would take the name from it.
    bool listen(const QString& path);

private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void drop(QLocalSocket* socket);

    Handler handler_;
    QLocalServer* server_ = nullptr;
    QHash<QLocalSocket*, QByteArray> pending_;  // the partial line of each connection
};

}  // namespace vantric
