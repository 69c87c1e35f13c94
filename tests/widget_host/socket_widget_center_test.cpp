#include "widget_host/socket_widget_center.hpp"

#include <optional>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/linux/local_line_server.hpp"
#include "support/event_wait.hpp"
#include "widget_host/host_protocol.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {
namespace {

using Configurations = WidgetCenter::Configurations;

const Configurations twoCPUs{kindIdentifier(VitalsWidgetKind::cpu),
                             kindIdentifier(VitalsWidgetKind::cpu)};

// A host on the test's own thread: it can only answer while the centre leaves the thread free.
struct TestHost {
    QByteArray configurations = configurationsReply(twoCPUs);  // empty: it never answers
    int reloads = 0;
    LocalLineServer server{[this](const QString& line) -> std::optional<QByteArray> {
        const auto request = parseHostRequest(line);
        if (request == HostRequest::reload) {
            ++reloads;
            return QByteArray(okReply);
        }
        return request == HostRequest::configurations ? std::optional(configurations)
                                                      : std::nullopt;
    }};
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
    ASSERT_TRUE(QFile(hostSocketPath(runtime.path())).open(QIODevice::WriteOnly));
    SocketWidgetCenter left(hostSocketPath(runtime.path()));
    const Asked asked = ask(left);
    EXPECT_EQ(asked.answer, Configurations{});
    EXPECT_FALSE(asked.answeredWithinTheCall);
}

TEST(SocketWidgetCenter, AsksWithoutHoldingTheThreadAndDistrustsABadOrLateReply) {
    QTemporaryDir runtime;
    TestHost host;
    ASSERT_TRUE(host.server.listen(hostSocketPath(runtime.path())));
    SocketWidgetCenter center(hostSocketPath(runtime.path()));

    const Asked asked = ask(center);
    EXPECT_EQ(asked.answer, twoCPUs);
    EXPECT_FALSE(asked.answeredWithinTheCall);
    center.reloadAllTimelines();
    EXPECT_TRUE(testing::eventually([&] { return host.reloads == 1; }));

    host.configurations = "[\"unfinished";
    EXPECT_EQ(ask(center).answer, Configurations{});
    // A host that never answers counts as none once the budget is spent.
    host.configurations.clear();
    EXPECT_EQ(ask(center).answer, Configurations{});
}

}  // namespace
}  // namespace vantric
