#include "platform/widget_host/socket_widget_center.hpp"

#include <optional>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "platform/widget_host/host_protocol.hpp"
#include "support/event_wait.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {
namespace {

using Configurations = WidgetCenter::Configurations;

const Configurations twoCPUs{kindIdentifier(VitalsWidgetKind::cpu),
                             kindIdentifier(VitalsWidgetKind::cpu)};

enum class HostManner { answers, garbles, stalls };

// A host on the test's own thread: it can only answer while the centre leaves the thread free.
struct TestHost {
    explicit TestHost(const QString& path)
        : server([this](const QString& line) -> std::optional<QByteArray> {
              switch (parseHostRequest(line).value_or(HostRequest::placements)) {
              case HostRequest::reload: ++reloads; return QByteArray(okReply);
              case HostRequest::configurations:
                  switch (manner) {
                  case HostManner::answers: return configurationsReply(twoCPUs);
                  case HostManner::garbles: return QByteArray("[\"unfinished");
                  case HostManner::stalls: return QByteArray();
                  }
                  return std::nullopt;
              case HostRequest::placements: return std::nullopt;
              }
              return std::nullopt;
          }) {
        listening = server.listen(path);
    }

    HostManner manner = HostManner::answers;
    int reloads = 0;
    bool listening = false;
    LocalLineServer server;
};

// What the centre answers, and whether it had answered before the request returned.
struct Asked {
    std::optional<Configurations> answer;
    bool answeredWithinTheCall = false;
};

Asked ask(WidgetCenter& center) {
    auto asked = std::make_shared<Asked>();
    center.requestConfigurations([asked](const Configurations& placed) { asked->answer = placed; });
    asked->answeredWithinTheCall = asked->answer.has_value();
    testing::eventually([&] { return asked->answer.has_value(); });
    return *asked;
}

TEST(SocketWidgetCenter, WithoutAHostReportsNothingPlaced) {
    QTemporaryDir runtime;
    SocketWidgetCenter missing(hostSocketPath(runtime.path()));
    EXPECT_EQ(ask(missing).answer, Configurations{});

    // A socket file left by a host that died.
    QFile stale(hostSocketPath(runtime.path()));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SocketWidgetCenter left(hostSocketPath(runtime.path()));
    const Asked asked = ask(left);
    EXPECT_EQ(asked.answer, Configurations{});
    EXPECT_FALSE(asked.answeredWithinTheCall);
}

TEST(SocketWidgetCenter, AsksWithoutHoldingTheThreadAndDistrustsABadOrLateReply) {
    QTemporaryDir runtime;
    TestHost host(hostSocketPath(runtime.path()));
    ASSERT_TRUE(host.listening);
    SocketWidgetCenter center(hostSocketPath(runtime.path()));

    const Asked asked = ask(center);
    EXPECT_EQ(asked.answer, twoCPUs);
    EXPECT_FALSE(asked.answeredWithinTheCall);
    center.reloadAllTimelines();
    EXPECT_TRUE(testing::eventually([&] { return host.reloads == 1; }));

    host.manner = HostManner::garbles;
    EXPECT_EQ(ask(center).answer, Configurations{});
    // A host that never answers counts as none once the budget is spent.
    host.manner = HostManner::stalls;
    EXPECT_EQ(ask(center).answer, Configurations{});
}

}  // namespace
}  // namespace vantric
