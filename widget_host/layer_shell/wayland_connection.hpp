#pragma once

#include <memory>

#include <QObject>
#include <QSocketNotifier>
#include <QString>

struct wl_display;

namespace vantric {

// The host's connection to the Wayland compositor: its events are read and dispatched from the
// Qt event loop when the socket has some, and requests are flushed before the loop sleeps, so
// that nothing polls. A closed socket or a protocol error is reported once, by lost(). Main
// thread.
class WaylandConnection : public QObject {
    Q_OBJECT

public:
    // The compositor WAYLAND_DISPLAY (or WAYLAND_SOCKET) names; null and why when there is none.
    static std::unique_ptr<WaylandConnection> open(QString& problem);
    ~WaylandConnection() override;

    wl_display* display() const { return display_; }
    // The socket's name as the user knows it ("wayland-1").
    const QString& name() const { return name_; }

    // Sends what is queued and handles every event until the compositor has answered, within
    // timeoutMs, so that a compositor that hangs cannot hang the host. False on timeout or loss.
    bool roundtrip(int timeoutMs);
    // From now on events are handled from the Qt event loop, which must exist.
    void watch();

signals:
    // The compositor went away or ended the connection for a protocol error; reason says which.
    void lost(const QString& reason);

private:
    WaylandConnection(wl_display* display, QString name);

    void readEvents();
    void flush();
    void checkError();

    wl_display* display_;
    QString name_;
    std::unique_ptr<QSocketNotifier> readable_{};
    std::unique_ptr<QSocketNotifier> writable_{};
    bool lostSent_ = false;
};

}  // namespace vantric
