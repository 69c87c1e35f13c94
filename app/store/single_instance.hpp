#pragma once

#include <optional>

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/linux/local_line_server.hpp"

namespace vantric {

// Keeps Vantric to one window per user. The first launch becomes the running instance and
// listens on a local socket in the user's runtime folder; a later launch hands its URLs (or, with
// none, a request to come forward) to it and exits.
//
// The socket is a LocalLineServer, private to the user. Messages are lines of UTF-8:
// "open <url>" or "raise". A connection that sends anything else, or more than a few kilobytes,
// is dropped.
//
// Lives on the main thread.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        running,    // this process is the running instance now
        forwarded,  // another one runs and took the message
        failed,     // another one holds the lock but could not be reached
    };

    static constexpr qsizetype maxMessageBytes = LocalLineServer::maxPendingBytes;

    // folder: where the lock and the socket live, private to the user (see privateRuntimeFolder).
    explicit SingleInstance(QString folder, QObject* parent = nullptr);

    // Becomes the running instance, or forwards urls (a raise request when there are none).
    Role claim(const QStringList& urls);

    QString socketPath() const;

signals:
    void urlReceived(const QString& url);
    void raiseRequested();

private:
    bool listen();
    bool forward(const QStringList& urls) const;
    std::optional<QByteArray> handle(const QString& line);

    QString folder_;
    QLockFile lock_;
    LocalLineServer server_;
};

}  // namespace vantric
