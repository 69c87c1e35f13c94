#pragma once

#include <memory>

#include <QByteArray>
#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace vantric {

// Keeps Vantric to one window per user. The first launch becomes the running instance and
// listens on a local socket in the user's runtime folder; a later launch hands its URLs (or, with
// none, a request to come forward) to it and exits.
//
// The socket is made so that only its owner can open it, and every connection's peer credentials
// are checked as well, since the file mode alone depends on the folder it lives in. Messages are
// lines of UTF-8: "open <url>" or "raise". A connection that sends anything else, or more than a
// few kilobytes, is dropped.
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

    static constexpr qsizetype maxMessageBytes = 16 * 1024;

    // folder: where the lock and the socket live; the user's runtime folder by default.
    explicit SingleInstance(QString folder = defaultFolder(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance, or forwards urls (a raise request when there are none).
    Role claim(const QStringList& urls);

    QString socketPath() const;
    static QString defaultFolder();

signals:
    void urlReceived(const QString& url);
    void raiseRequested();

private:
    bool listen();
    bool forward(const QStringList& urls) const;
    void accept();
    void readFrom(QLocalSocket* socket);

    QString folder_;
    QLockFile lock_;
    QLocalServer* server_ = nullptr;
    QHash<QLocalSocket*, QByteArray> pending_;  // partial lines per connection
};

}  // namespace vantric
