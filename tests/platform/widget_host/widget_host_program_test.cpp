#include <sys/resource.h>

#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/widget_host/host_client.hpp"
#include "platform/widget_host/host_protocol.hpp"
#include "support/event_wait.hpp"
#include "tests/platform/widget_host/fake_bundle.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {
namespace {

using testing::eventually;

constexpr int processTimeoutMs = 15'000;

// A user of their own for each test: runtime folder, settings and home in a temporary folder,
// so that nothing reaches the real user's widgets or a host they run.
class HostUser {
public:
    HostUser() {
        QDir().mkpath(runtime());
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment_ = QProcessEnvironment::systemEnvironment();
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"),
                            root_.filePath(QStringLiteral("config")));
        environment_.insert(QStringLiteral("HOME"), root_.path());
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment_.insert(QStringLiteral("FAKE_BUNDLE_LOG"), log());
    }

    QString runtime() const { return root_.filePath(QStringLiteral("run")); }
    QString socket() const { return hostSocketPath(runtime()); }
    QString log() const { return root_.filePath(QStringLiteral("requests.log")); }
    QString file(const QString& name) const { return root_.filePath(name); }
    qsizetype timelineRequests() const {
        QFile file(log());
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    }

    void prepare(QProcess& process, const QStringList& arguments, const QString& plugin) const {
        process.setProcessEnvironment(environment_);
        process.setProgram(QStringLiteral(WIDGET_HOST_PROGRAM));
        process.setArguments(QStringList{QStringLiteral("--plugin"), plugin} + arguments);
    }

    struct Result {
        int code = -1;
        QString out{};
        QString err{};
    };

    Result run(const QStringList& arguments,
               const QString& plugin = QStringLiteral(FAKE_BUNDLE_PLUGIN)) const {
        QProcess process;
        prepare(process, arguments, plugin);
        // Everything but the host itself works without a display.
        QProcessEnvironment headless = environment_;
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
            headless.remove(QString::fromUtf8(name));
        }
        process.setProcessEnvironment(headless);
        process.start();
        if (!process.waitForFinished(processTimeoutMs) ||
            process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return {.code = process.exitCode(),
                .out = QString::fromUtf8(process.readAllStandardOutput()),
                .err = QString::fromUtf8(process.readAllStandardError())};
    }

private:
    QTemporaryDir root_;
    QProcessEnvironment environment_;
};

// Sends raw bytes; true when the host then drops the connection.
bool dropsConnectionAfter(const QString& socket, const QByteArray& bytes) {
    QLocalSocket client;
    client.connectToServer(socket);
    if (!client.waitForConnected(1000)) {
        return false;
    }
    client.write(bytes);
    client.flush();
    return eventually([&] { return client.state() == QLocalSocket::UnconnectedState; });
}

std::vector<std::string> identifiers(std::initializer_list<VitalsWidgetKind> kinds) {
    std::vector<std::string> result;
    for (const VitalsWidgetKind kind : kinds) {
        result.push_back(kindIdentifier(kind));
    }
    return result;
}

std::optional<std::vector<std::string>> placedKinds(const QString& socket) {
    const auto reply = askHost(socket, HostRequest::configurations);
    return reply ? parseConfigurationsReply(*reply) : std::nullopt;
}

TEST(WidgetHostProgram, LoadsOnlyAWidgetBundleFromTheGivenPath) {
    const HostUser user;
    const auto listed = user.run({QStringLiteral("--list")});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains(
        QStringLiteral("overview\torg.vantric.Vantric.Overview\tOverview\t344x164\n")));

    // A library that is no Qt plug-in, and a Qt plug-in of another interface.
    const QString otherQtPlugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                                  QStringLiteral("/platforms/libqoffscreen.so");
    for (const QString& bad : {QStringLiteral(NOT_A_QT_PLUGIN), otherQtPlugin}) {
        SCOPED_TRACE(bad.toStdString());
        const auto refused = user.run({QStringLiteral("--list")}, bad);
        EXPECT_EQ(refused.code, 2);
        EXPECT_TRUE(refused.out.isEmpty());
        EXPECT_TRUE(refused.err.startsWith(
            QStringLiteral("vantric-widget-host: cannot load the widget plug-in %1: ").arg(bad)))
            << refused.err.toStdString();
        EXPECT_EQ(refused.err.count('\n'), 1);
    }
}

TEST(WidgetHostProgram, ServesItsPlacedWidgetsOverTheSocket) {
    const HostUser user;
    for (const char* kind : {"cpu", "org.vantric.Vantric.CPU", "overview"}) {
        ASSERT_EQ(user.run({QStringLiteral("--add"), QString::fromUtf8(kind)}).code, 0);
    }
    EXPECT_EQ(user.run({QStringLiteral("--add"), QStringLiteral("disk")}).code, 2);

    QProcess host;
    user.prepare(host, {}, QStringLiteral(FAKE_BUNDLE_PLUGIN));
    host.start();
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_TRUE(eventually([&] { return placedKinds(user.socket()).has_value(); }, 10'000));
    EXPECT_EQ(placedKinds(user.socket()), identifiers({VitalsWidgetKind::cpu, VitalsWidgetKind::cpu,
                                                       VitalsWidgetKind::overview}));
    // One request per placed widget at start, and no more until a reload date or a reload.
    EXPECT_TRUE(eventually([&] { return user.timelineRequests() == 3; }));

    EXPECT_TRUE(dropsConnectionAfter(user.socket(), "rm -rf /\n"));
    EXPECT_TRUE(dropsConnectionAfter(user.socket(), "reload\xff\n"));
    EXPECT_TRUE(dropsConnectionAfter(user.socket(), QByteArray(qsizetype{17} * 1024, 'r')));
    EXPECT_EQ(user.timelineRequests(), 3);

    // A reload while the first timelines are still on their way asks for nothing more.
    EXPECT_TRUE(eventually([&] {
        return askHost(user.socket(), HostRequest::reload) == QByteArray(okReply) &&
               user.timelineRequests() == 6;
    }));

    // A flood of reloads asks again only for timelines that have come: a few rounds, not 6,000.
    QLocalSocket flood;
    flood.connectToServer(user.socket());
    ASSERT_TRUE(flood.waitForConnected(1000));
    flood.write(QByteArray("reload\n").repeated(2000));
    qsizetype answered = 0;
    EXPECT_TRUE(eventually([&] {
        answered += flood.readAll().count('\n');
        return answered == 2000;
    }));
    EXPECT_LT(user.timelineRequests(), 60);

    // --remove tells the running host, which drops the last CPU widget at once.
    ASSERT_EQ(user.run({QStringLiteral("--remove"), QStringLiteral("cpu")}).code, 0);
    EXPECT_EQ(placedKinds(user.socket()),
              identifiers({VitalsWidgetKind::cpu, VitalsWidgetKind::overview}));

    // A second host leaves at once, without even a display.
    const auto second = user.run({});
    EXPECT_EQ(second.code, 0);
    EXPECT_TRUE(second.err.contains(QStringLiteral("already runs")));
    EXPECT_EQ(host.state(), QProcess::Running);

    host.terminate();
    EXPECT_TRUE(host.waitForFinished(processTimeoutMs));
}

// Out of descriptors, Qt stops listening and removes the socket file; the host closes the idle
// connections and listens again, so the next client is answered.
TEST(WidgetHostProgram, AnswersAFreshClientAfterAFloodRanItOutOfDescriptors) {
    const HostUser user;
    QProcess host;
    user.prepare(host, {}, QStringLiteral(FAKE_BUNDLE_PLUGIN));
    host.setChildProcessModifier([] {
        const rlimit few{.rlim_cur = 48, .rlim_max = 48};
        setrlimit(RLIMIT_NOFILE, &few);
    });
    host.start();
    ASSERT_TRUE(host.waitForStarted());
    ASSERT_TRUE(eventually([&] { return placedKinds(user.socket()).has_value(); }, 10'000));

    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int connection = 0; connection < 200; ++connection) {
        flood.push_back(std::make_unique<QLocalSocket>());
        flood.back()->connectToServer(user.socket());
        flood.back()->waitForConnected(100);
    }
    EXPECT_TRUE(eventually([&] { return placedKinds(user.socket()).has_value(); }, 10'000));
    EXPECT_EQ(host.state(), QProcess::Running);

    host.terminate();
    EXPECT_TRUE(host.waitForFinished(processTimeoutMs));
}

// Places that overflowed a rectangle, or an array size of two billion, no longer hold --add up;
// places that cannot be saved are said to be so; --help and a bad option go where they belong.
TEST(WidgetHostProgram, CommandsFinishOnDamagedPlacesAndSayWhatFailed) {
    const HostUser user;
    const QString places = user.file(QStringLiteral("config/Vantric/WidgetHost.conf"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(places).path()));
    QFile damaged(places);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(
        "[widgets]\n1\\kind=org.vantric.Vantric.CPU\n1\\x=2147483647\n"
        "1\\y=2147483647\nsize=2147483647\n");
    damaged.close();
    EXPECT_EQ(user.run({QStringLiteral("--add"), QStringLiteral("cpu")}).code, 0);

    ASSERT_TRUE(QFile::remove(places));
    ASSERT_TRUE(QDir().mkpath(places));
    const auto unsaved = user.run({QStringLiteral("--add"), QStringLiteral("cpu")});
    EXPECT_EQ(unsaved.code, 1);
    EXPECT_EQ(unsaved.err, QStringLiteral("vantric-widget-host: cannot save the placed widgets in "
                                          "%1\n")
                               .arg(places));

    const auto help = user.run({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: vantric-widget-host")))
        << help.out.toStdString();
    const auto bad = user.run({QStringLiteral("--list"), QStringLiteral("--add")});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.startsWith(QStringLiteral("vantric-widget-host: --add needs a value\n")))
        << bad.err.toStdString();
}

TEST(WidgetHostProgram, RendersARealTimelineAtTwiceTheWidgetSize) {
    const HostUser user;
    const QString picture = user.file(QStringLiteral("overview.png"));
    const auto rendered = user.run(
        {QStringLiteral("--render"), QStringLiteral("overview"), QStringLiteral("--out"), picture});
    ASSERT_EQ(rendered.code, 0) << rendered.err.toStdString();

    const QImage image(picture);
    ASSERT_EQ(image.size(), QSize(688, 328));
    // Transparent outside the rounded background, and drawn from the timeline, not the
    // placeholder.
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(344, 164), fake_bundle::measuredColor);
    EXPECT_EQ(user.timelineRequests(), 1);
}

}  // namespace
}  // namespace vantric
