#include <sys/resource.h>

#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/event_wait.hpp"
#include "tests/widget_host/fake_bundle.hpp"
#include "widget_host/host_client.hpp"
#include "widget_host/host_protocol.hpp"

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
        environment_.insert("XDG_RUNTIME_DIR", runtime());
        environment_.insert("XDG_CONFIG_HOME", file("config"));
        environment_.insert("HOME", root_.path());
        environment_.insert("QT_QPA_PLATFORM", "offscreen");
        environment_.insert("FAKE_BUNDLE_LOG", file("requests.log"));
    }

    QString runtime() const { return file("run"); }
    QString socket() const { return hostSocketPath(runtime()); }
    QString file(const QString& name) const { return root_.filePath(name); }
    qsizetype timelineRequests() const {
        QFile log(file("requests.log"));
        return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
    }

    // The host itself, started with the fake plug-in.
    void start(QProcess& host) const {
        host.setProcessEnvironment(environment_);
        host.start(WIDGET_HOST_PROGRAM, {"--plugin", FAKE_BUNDLE_PLUGIN});
        ASSERT_TRUE(host.waitForStarted());
        ASSERT_TRUE(eventually([&] { return placedKinds().has_value(); }, 10'000));
    }

    std::optional<std::vector<std::string>> placedKinds() const {
        const auto reply = askHost(socket(), HostRequest::configurations);
        return reply ? parseConfigurationsReply(*reply) : std::nullopt;
    }

    struct Result {
        int code = -1;
        QString out{};
        QString err{};
    };

    // Everything but the host itself works without a display.
    Result run(const QStringList& arguments, const QString& plugin = FAKE_BUNDLE_PLUGIN) const {
        QProcess process;
        QProcessEnvironment headless = environment_;
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET",
                                 "XDG_SESSION_TYPE"}) {
            headless.remove(name);
        }
        process.setProcessEnvironment(headless);
        process.start(WIDGET_HOST_PROGRAM, QStringList{"--plugin", plugin} + arguments);
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

TEST(WidgetHostProgram, LoadsOnlyAWidgetBundleFromTheGivenPath) {
    const HostUser user;
    const auto listed = user.run({"--list"});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains("overview\torg.vantric.Vantric.Overview\tOverview\t344x164\n"));

    // A library that is no Qt plug-in, and a Qt plug-in of another interface.
    const QString otherQtPlugin =
        QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqoffscreen.so";
    for (const QString& bad : {QString(NOT_A_QT_PLUGIN), otherQtPlugin}) {
        SCOPED_TRACE(bad.toStdString());
        const auto refused = user.run({"--list"}, bad);
        EXPECT_EQ(refused.code, 2);
        EXPECT_TRUE(refused.out.isEmpty());
        EXPECT_TRUE(refused.err.startsWith(
            QString("vantric-widget-host: cannot load the widget plug-in %1: ").arg(bad)))
            << refused.err.toStdString();
        EXPECT_EQ(refused.err.count('\n'), 1);
    }
}

TEST(WidgetHostProgram, ServesItsPlacedWidgetsOverTheSocket) {
    const HostUser user;
    for (const char* kind : {"cpu", "org.vantric.Vantric.CPU", "overview"}) {
        ASSERT_EQ(user.run({"--add", kind}).code, 0);
    }
    EXPECT_EQ(user.run({"--add", "disk"}).code, 2);

    QProcess host;
    user.start(host);
    const std::string cpu = "org.vantric.Vantric.CPU";
    const std::string overview = "org.vantric.Vantric.Overview";
    EXPECT_EQ(user.placedKinds(), (std::vector{cpu, cpu, overview}));
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
    ASSERT_EQ(user.run({"--remove", "cpu"}).code, 0);
    EXPECT_EQ(user.placedKinds(), (std::vector{cpu, overview}));

    // A second host leaves at once, without even a display.
    const auto second = user.run({});
    EXPECT_EQ(second.code, 0);
    EXPECT_TRUE(second.err.contains("already runs"));
    EXPECT_EQ(host.state(), QProcess::Running);

    host.terminate();
    EXPECT_TRUE(host.waitForFinished(processTimeoutMs));
}

// Out of descriptors, Qt stops listening and removes the socket file; the host closes the idle
// connections and listens again, so the next client is answered.
TEST(WidgetHostProgram, AnswersAFreshClientAfterAFloodRanItOutOfDescriptors) {
    const HostUser user;
    QProcess host;
    host.setChildProcessModifier([] {
        const rlimit few{.rlim_cur = 48, .rlim_max = 48};
        setrlimit(RLIMIT_NOFILE, &few);
    });
    user.start(host);

    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int connection = 0; connection < 200; ++connection) {
        flood.push_back(std::make_unique<QLocalSocket>());
        flood.back()->connectToServer(user.socket());
        flood.back()->waitForConnected(100);
    }
    EXPECT_TRUE(eventually([&] { return user.placedKinds().has_value(); }, 10'000));
    EXPECT_EQ(host.state(), QProcess::Running);

    host.terminate();
    EXPECT_TRUE(host.waitForFinished(processTimeoutMs));
}

// Places that cannot be saved are said to be so; --help and a bad option go where they belong.
TEST(WidgetHostProgram, CommandsSayWhatFailed) {
    const HostUser user;
    const QString places = user.file("config/Vantric/WidgetHost.conf");
    ASSERT_TRUE(QDir().mkpath(places));
    const auto unsaved = user.run({"--add", "cpu"});
    EXPECT_EQ(unsaved.code, 1);
    EXPECT_EQ(unsaved.err,
              QString("vantric-widget-host: cannot save the placed widgets in %1\n").arg(places));

    const auto help = user.run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("usage: vantric-widget-host")) << help.out.toStdString();
    // Each refusal is one line and status 2, then the usage where the arguments were at fault.
    const std::vector<std::pair<QStringList, QString>> refusals{
        {{"--list", "--add"}, "--add needs a value"},
        {{"--backend", "vulkan"}, "--backend is layer-shell or x11, not \"vulkan\""},
        {{"--backend", "x11", "--list"}, "--backend goes only with running the host"},
        {{}, "no display for widgets: not a Wayland session, and DISPLAY is not set"},
        {{"--backend", "layer-shell"}, "--backend layer-shell: no Wayland compositor on wayland-0"},
    };
    for (const auto& [arguments, problem] : refusals) {
        const auto refused = user.run(arguments);
        EXPECT_EQ(refused.code, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(refused.err.startsWith("vantric-widget-host: " + problem))
            << refused.err.toStdString();
    }
}

TEST(WidgetHostProgram, RendersARealTimelineAtTwiceTheWidgetSize) {
    const HostUser user;
    const QString picture = user.file("overview.png");
    const auto rendered = user.run({"--render", "overview", "--out", picture});
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
