#include "platform/widget_host/socket_widget_center.hpp"

#include <atomic>
#include <memory>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "platform/widget_host/host_protocol.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {
namespace {

const std::vector<std::string> twoCPUs{kindIdentifier(VitalsWidgetKind::cpu),
                                       kindIdentifier(VitalsWidgetKind::cpu)};

// A host stand-in on a thread of its own: the widget centre blocks the calling thread while it
// waits for the answer, so a server on the same thread could never answer in time.
class ThreadedHost {
public:
    explicit ThreadedHost(const QString& path) {
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [this, path] {
                server_ = std::make_unique<LocalLineServer>(
                    [this](const QString& line) -> std::optional<QByteArray> {
                        switch (parseHostRequest(line).value_or(HostRequest::placements)) {
                        case HostRequest::reload: ++reloads; return QByteArray(okReply);
                        case HostRequest::configurations:
                            return brokenReply ? QByteArray("[\"unfinished")
                                               : configurationsReply(twoCPUs);
                        case HostRequest::placements: return std::nullopt;
                        }
                        return std::nullopt;
                    });
                listening = server_->listen(path);
            },
            Qt::BlockingQueuedConnection);
    }

    ~ThreadedHost() {
        QMetaObject::invokeMethod(
            &context_, [this] { server_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    bool listening = false;
    std::atomic<int> reloads{0};
    std::atomic<bool> brokenReply{false};

private:
    QThread thread_;
    QObject context_;
    std::unique_ptr<LocalLineServer> server_;
};

TEST(SocketWidgetCenter, WithoutAHostReportsNothingPlaced) {
    QTemporaryDir runtime;
    SocketWidgetCenter missing(hostSocketPath(runtime.path()));
    missing.reloadAllTimelines();
    EXPECT_TRUE(missing.currentConfigurations().empty());

    // A socket file left by a host that died.
    QFile stale(hostSocketPath(runtime.path()));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SocketWidgetCenter left(hostSocketPath(runtime.path()));
    left.reloadAllTimelines();
    EXPECT_TRUE(left.currentConfigurations().empty());
}

TEST(SocketWidgetCenter, AsksARunningHostAndDistrustsABadReply) {
    QTemporaryDir runtime;
    ThreadedHost host(hostSocketPath(runtime.path()));
    ASSERT_TRUE(host.listening);
    SocketWidgetCenter center(hostSocketPath(runtime.path()));

    EXPECT_EQ(center.currentConfigurations(), twoCPUs);
    center.reloadAllTimelines();
    EXPECT_EQ(host.reloads.load(), 1);

    host.brokenReply = true;
    EXPECT_TRUE(center.currentConfigurations().empty());
}

}  // namespace
}  // namespace vantric
