#include "widget_host/layer_shell/wayland_connection.hpp"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include <wayland-client.h>
#include <QAbstractEventDispatcher>
#include <QMetaObject>

namespace vantric {
namespace {

// libwayland's own complaints, as one line of the host's.
void logLine(const char* format, va_list arguments) {
    static_cast<void>(std::fputs("vantric-widget-host: wayland: ", stderr));
    static_cast<void>(std::vfprintf(stderr, format, arguments));
}

}  // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(QString& problem) {
    wl_log_set_handler_client(logLine);
    const QString socket = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString name = socket.isEmpty() ? QStringLiteral("wayland-0") : socket;
    wl_display* const display = wl_display_connect(nullptr);
    if (display == nullptr) {
        problem =
            QStringLiteral("no Wayland compositor on %1 (%2)").arg(name, qt_error_string(errno));
        return nullptr;
    }
    return std::unique_ptr<WaylandConnection>(new WaylandConnection(display, name));
}

WaylandConnection::WaylandConnection(wl_display* display, QString name)
    : display_(display), name_(std::move(name)) {}

WaylandConnection::~WaylandConnection() {
    // The notifiers watch the descriptor that disconnecting closes.
    readable_.reset();
    writable_.reset();
    wl_display_disconnect(display_);
}

bool WaylandConnection::roundtrip(int timeoutMs) {
    bool answered = false;
    static const wl_callback_listener done{
        .done = [](void* data, wl_callback* callback, std::uint32_t /*serial*/) {
            *static_cast<bool*>(data) = true;
            wl_callback_destroy(callback);
        }};
    wl_callback* const sync = wl_display_sync(display_);
    wl_callback_add_listener(sync, &done, &answered);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const int fd = wl_display_get_fd(display_);
    while (!answered) {
        while (wl_display_prepare_read(display_) != 0) {
            if (wl_display_dispatch_pending(display_) < 0) {
                return false;
            }
        }
        if (answered) {
            wl_display_cancel_read(display_);
            break;
        }
        wl_display_flush(display_);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched{.fd = fd, .events = POLLIN, .revents = 0};
        if (left.count() <= 0 || poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
            wl_display_cancel_read(display_);
            // The callback stays with the connection: it is freed with it.
            return false;
        }
        if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) {
            return false;
        }
    }
    return wl_display_get_error(display_) == 0;
}

void WaylandConnection::watch() {
    const int fd = wl_display_get_fd(display_);
    readable_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(readable_.get(), &QSocketNotifier::activated, this, &WaylandConnection::readEvents);
    writable_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    writable_->setEnabled(false);
    connect(writable_.get(), &QSocketNotifier::activated, this, &WaylandConnection::flush);
    // Requests made by anything the loop ran leave before it sleeps, and events that a request's
    // own handling queued are handled; this runs once per wake-up, never on a timer.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] {
                if (!lostSent_) {
                    wl_display_dispatch_pending(display_);
                    flush();
                }
            });
}

void WaylandConnection::readEvents() {
    if (lostSent_) {
        return;
    }
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            checkError();
            return;
        }
    }
    if (wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0) {
        checkError();
        return;
    }
    flush();
}

void WaylandConnection::flush() {
    if (lostSent_) {
        return;
    }
    if (wl_display_flush(display_) >= 0) {
        writable_->setEnabled(false);
    } else if (errno == EAGAIN) {
        // The socket is full: the rest goes when the compositor has read some.
        writable_->setEnabled(true);
    } else {
        checkError();
    }
}

void WaylandConnection::checkError() {
    const int error = wl_display_get_error(display_);
    if (error == 0 || lostSent_) {
        return;
    }
    lostSent_ = true;
    readable_->setEnabled(false);
    writable_->setEnabled(false);
    QString reason;
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
        reason = QStringLiteral("protocol error %1 on %2#%3")
                     .arg(code)
                     .arg(QString::fromLatin1(interface != nullptr ? interface->name : "?"))
                     .arg(id);
    } else {
        reason = qt_error_string(error);
    }
    // Told from the loop, not from inside libwayland's dispatch, since whoever listens tears
    // this connection down.
    QMetaObject::invokeMethod(
        this, [this, reason] { emit lost(reason); }, Qt::QueuedConnection);
}

}  // namespace vantric
