// The widget host on real display servers: headless sway (layer shell), Weston (no layer shell,
// XWayland) and Xvfb. Sway refuses to run as root, so as root the session runs as a system user
// made for it; a test skips, saying why, only where that cannot be done.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include <xcb/xcb.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "support/event_wait.hpp"
#include "tests/widget_host/display_colours.hpp"
#include "tests/widget_host/fake_bundle.hpp"
#include "widget_host/bundle_loader.hpp"
#include "widget_host/placements.hpp"

namespace vantric {
namespace {

using testing::eventually;
namespace colours = display_colours;

constexpr char sessionUser[] = "vantric-wl";
constexpr std::uint32_t leftButton = 272;
constexpr std::uint32_t rightButton = 273;

struct Ran {
    int code = -1;
    QByteArray out{};
};

Ran run(const QStringList& command, int timeoutMs = 10'000) {
    QProcess process;
    process.start(command.front(), command.mid(1));
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {.code = process.exitCode(), .out = process.readAllStandardOutput()};
}

bool installed(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

// What a widget of the fake plug-in looks like on the desktop, at scale pixels per point.
QImage expectedWidget(QSize size, int scale) {
    static const LoadedBundle loaded = loadBundle(QStringLiteral(FAKE_BUNDLE_PLUGIN));
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(colours::desktop);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const VitalsEntry measured{.cpu = {.total = fake_bundle::measuredLoad}};
    loaded.bundle->paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), VitalsWidgetKind::cpu,
                         measured);
    return image;
}

// Pixels apart by more than blending's rounding; the count, so that a failure says how much.
int differingPixels(const QImage& seen, const QImage& expected) {
    if (seen.size() != expected.size()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < seen.height(); ++y) {
        for (int x = 0; x < seen.width(); ++x) {
            const QColor a = seen.pixelColor(x, y);
            const QColor b = expected.pixelColor(x, y);
            const int apart =
                std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                          std::abs(a.blue() - b.blue())});
            differing += apart > 4 ? 1 : 0;
        }
    }
    return differing;
}

// A headless sway with two outputs side by side: HEADLESS-1, 1280x800 at scale 2 (640x400 in the
// layout, at 0,0), and HEADLESS-2, 1280x800 at scale 1, at 640,0. Everything it and its clients
// keep is in a temporary folder.
class SwaySession {
public:
    // Nothing, and why, where sway cannot be run here.
    static std::unique_ptr<SwaySession> start(QString& whyNot) {
        for (const char* program : {"sway", "swaymsg", "grim"}) {
            if (!installed(program)) {
                whyNot = QStringLiteral("%1 is not installed").arg(program);
                return nullptr;
            }
        }
        if (geteuid() == 0 && !makeSessionUser(whyNot)) {
            return nullptr;
        }
        auto session = std::unique_ptr<SwaySession>(new SwaySession());
        if (!session->launch(whyNot)) {
            return nullptr;
        }
        return session;
    }

    ~SwaySession() {
        sway_.kill();
        sway_.waitForFinished();
    }

    QString file(const QString& name) const { return root_.filePath(name); }
    QString placesFile() const { return file("config/Vantric/WidgetHost.conf"); }
    qint64 swayPid() const { return sway_.processId(); }

    // command as the session's user, in its environment, with extra variables.
    QStringList asUser(const QStringList& command, const QStringList& extra = {}) const {
        QStringList line;
        if (geteuid() == 0) {
            line << "setpriv" << QStringLiteral("--reuid=%1").arg(sessionUser)
                 << QStringLiteral("--regid=%1").arg(sessionUser) << "--init-groups";
        }
        line << "env"
             << "-i" << QStringLiteral("PATH=%1:/usr/bin:/bin").arg(file("bin"))
             << QStringLiteral("HOME=%1").arg(file("home"))
             << QStringLiteral("XDG_RUNTIME_DIR=%1").arg(file("run"))
             << QStringLiteral("XDG_CONFIG_HOME=%1").arg(file("config"))
             << QStringLiteral("SWAYSOCK=%1").arg(file("run/sway.sock"))
             << QStringLiteral("WAYLAND_DISPLAY=%1").arg(socketName_);
        return line + extra + command;
    }

    Ran swaymsg(const QStringList& arguments) const {
        return run(asUser(QStringList{"swaymsg"} + arguments));
    }

    // The screen's pixels in region (layout coordinates) at scale pixels per point.
    QImage grab(const QRect& region, int scale = 1) const {
        // A software cursor shows in pictures; it is moved out of the way first.
        swaymsg({"seat - cursor set 1910 790"});
        const QString shot = file("shots/shot.png");
        QFile::remove(shot);
        const QString geometry = QStringLiteral("%1,%2 %3x%4")
                                     .arg(region.x())
                                     .arg(region.y())
                                     .arg(region.width())
                                     .arg(region.height());
        run(asUser({"grim", "-s", QString::number(scale), "-g", geometry, shot}));
        return QImage(shot).convertToFormat(QImage::Format_RGB32);
    }

    QColor colourAt(QPoint point) const { return grab(QRect(point, QSize(1, 1))).pixelColor(0, 0); }

    // Places saved for the host, readable and writable by the session's user.
    void place(const std::vector<Placement>& placements) const {
        ASSERT_TRUE(savePlacements(placements, placesFile()));
        handOver(placesFile());
    }

    // The host, with the fake plug-in; its first line said on which display it shows.
    void startHost(QProcess& host, const QStringList& arguments = {}) const {
        const QStringList command =
            asUser(QStringList{WIDGET_HOST_PROGRAM, "--plugin", FAKE_BUNDLE_PLUGIN} + arguments);
        host.start(command.front(), command.mid(1));
        ASSERT_TRUE(host.waitForStarted());
    }

    bool launch(QString& whyNot) {
        root_.setAutoRemove(true);
        QFile::setPermissions(root_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadOther | QFile::ExeOther);
        for (const char* folder : {"run", "home", "config/Vantric", "shots", "bin"}) {
            QDir(root_.path()).mkpath(folder);
        }
        QFile::setPermissions(file("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(file("sway.conf"));
        config.open(QIODevice::WriteOnly);
        const QString desktop = colours::desktop.name();
        config.write(QStringLiteral("xwayland disable\n"
                                    "default_border none\n"
                                    "focus_follows_mouse no\n"
                                    "output HEADLESS-1 resolution 1280x800 position 0 0 scale 2 "
                                    "bg %1 solid_color\n"
                                    "output HEADLESS-2 resolution 1280x800 position 640 0 "
                                    "scale 1 bg %1 solid_color\n"
                                    "output * bg %1 solid_color\n")
                         .arg(desktop)
                         .toUtf8());
        config.close();
        // xdg-open as the host finds it: it notes what it was asked to open.
        QFile opener(file("bin/xdg-open"));
        opener.open(QIODevice::WriteOnly);
        opener.write(
            QStringLiteral("#!/bin/sh\necho \"$@\" >>%1\n").arg(file("home/opened")).toUtf8());
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadOther | QFile::ExeOther);
        for (const char* owned : {"run", "home", "config", "config/Vantric", "shots"}) {
            handOver(file(owned));
        }
        if (run(asUser({"test", "-x", WIDGET_HOST_PROGRAM})).code != 0) {
            whyNot = QStringLiteral(
                         "user %1 cannot run the build's programs (a folder above the "
                         "build is closed to others)")
                         .arg(sessionUser);
            return false;
        }
        return startSway(whyNot);
    }

    bool startSway(QString& whyNot) {
        sway_.setStandardOutputFile(file("sway.log"), QIODevice::Append);
        sway_.setStandardErrorFile(file("sway.log"), QIODevice::Append);
        const QStringList command = asUser({"sway", "-c", file("sway.conf")},
                                           {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                            "WLR_LIBINPUT_NO_DEVICES=1", "WLR_HEADLESS_OUTPUTS=2"});
        sway_.start(command.front(), command.mid(1));
        const bool up = eventually(
            [this] {
                const QStringList sockets =
                    QDir(file("run")).entryList({"wayland-*"}, QDir::System | QDir::Files);
                for (const QString& name : sockets) {
                    if (!name.endsWith(".lock")) {
                        socketName_ = name;
                    }
                }
                return !socketName_.isEmpty() &&
                       swaymsg({"-t", "get_outputs"}).out.count("\"active\": true") == 2;
            },
            15'000);
        if (!up) {
            whyNot = QStringLiteral("sway did not start; its log is %1").arg(file("sway.log"));
        }
        return up;
    }

    // Sway stops; its widgets' host is left to notice.
    void stopSway() {
        ::kill(static_cast<pid_t>(sway_.processId()), SIGTERM);
        sway_.waitForFinished();
    }

private:
    SwaySession() = default;

    static bool makeSessionUser(QString& whyNot) {
        if (run({"getent", "passwd", sessionUser}).code == 0) {
            return true;
        }
        const Ran made =
            run({"useradd", "--system", "--user-group", "--no-create-home", "--home-dir",
                 "/nonexistent", "--shell", "/usr/sbin/nologin", sessionUser});
        if (made.code != 0) {
            whyNot = QStringLiteral("cannot make the user %1 that sway runs as").arg(sessionUser);
            return false;
        }
        return true;
    }

    void handOver(const QString& path) const {
        if (geteuid() == 0) {
            run({"chown", QStringLiteral("%1:%1").arg(sessionUser), path});
        }
    }

    QTemporaryDir root_;
    QProcess sway_;
    QString socketName_;
};

// A pointer device in the session, driven line by line.
class VirtualPointer {
public:
    explicit VirtualPointer(const SwaySession& session) {
        const QStringList command = session.asUser({VIRTUAL_POINTER_PROGRAM});
        process_.start(command.front(), command.mid(1));
        ready_ = process_.waitForStarted() && answered();
    }
    ~VirtualPointer() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(2000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

    bool ready() const { return ready_; }
    bool send(const QString& line) {
        process_.write((line + '\n').toUtf8());
        return answered();
    }
    bool click(std::uint32_t button) {
        return send(QStringLiteral("press %1").arg(button)) &&
               send(QStringLiteral("release %1").arg(button));
    }

private:
    bool answered() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(5000)) {
                return false;
            }
        }
        return process_.readLine().trimmed() == "ok";
    }

    QProcess process_;
    bool ready_ = false;
};

class DesktopDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        QString whyNot;
        session_ = SwaySession::start(whyNot);
        if (session_ == nullptr) {
            GTEST_SKIP() << whyNot.toStdString();
        }
    }

    void TearDown() override {
        host_.kill();
        host_.waitForFinished();
    }

    // Starts the host and waits until the widget that should be at region shows there.
    void showWidgets(const QRect& shownAt) {
        session_->startHost(host_);
        ASSERT_TRUE(eventually(
            [&] { return showsAt(shownAt.center(), fake_bundle::measuredColor); }, 10'000))
            << "no widget at " << shownAt.x() << "," << shownAt.y() << "; the host said "
            << host_.readAllStandardError().toStdString();
    }

    std::vector<Placement> saved() const { return loadPlacements(session_->placesFile()); }
    bool showsAt(QPoint point, const QColor& colour) const {
        return session_->colourAt(point) == colour;
    }

    std::unique_ptr<SwaySession> session_;
    QProcess host_;
};

const QSize small{164, 164};

// Whether the host writes text to its error stream within a few seconds. Its lines may reach the
// pipe after what they announce reaches the display, and in more than one read.
bool eventuallySays(QProcess& host, const QByteArray& text) {
    QByteArray said;
    return eventually([&] {
        said += host.readAllStandardError();
        return said.contains(text);
    });
}

TEST_F(DesktopDisplay, ShowsEachWidgetBelowWindowsAtItsSavedPlaceAndScale) {
    session_->place(
        {{.kind = VitalsWidgetKind::cpu, .position = {100, 80}, .output = "HEADLESS-2"},
         {.kind = VitalsWidgetKind::memory, .position = {20, 30}, .output = "HEADLESS-1"}});
    const QRect onSecond(QPoint(740, 80), small);
    showWidgets(onSecond);
    EXPECT_TRUE(eventuallySays(host_, "as layer surfaces on wayland-"));

    EXPECT_EQ(differingPixels(session_->grab(onSecond, 1), expectedWidget(small, 1)), 0);
    // Drawn at the output's scale, not enlarged: a picture at scale 2 matches one painted at 2.
    const QImage sharp = session_->grab(QRect(QPoint(20, 30), small), 2);
    EXPECT_EQ(sharp.size(), small * 2);
    EXPECT_EQ(differingPixels(sharp, expectedWidget(small, 2)), 0);

    session_->swaymsg({"focus output HEADLESS-2"});
    QProcess window;
    const QStringList command =
        session_->asUser({SOLID_WINDOW_PROGRAM}, {"QT_QPA_PLATFORM=wayland"});
    window.start(command.front(), command.mid(1));
    const auto tree = [this] { return session_->swaymsg({"-t", "get_tree"}).out; };
    ASSERT_TRUE(eventually([&] { return tree().contains("\"vantric-test-window\""); }, 10'000));
    // The window is in the tree of windows; no widget is.
    EXPECT_FALSE(tree().contains("vantric-widget-host"));
    EXPECT_FALSE(tree().contains(QStringLiteral("\"pid\": %1,").arg(host_.processId()).toUtf8()));
    EXPECT_TRUE(eventually([&] { return session_->colourAt(onSecond.center()) == colours::window; },
                           10'000));
    window.kill();
    window.waitForFinished();
}

TEST_F(DesktopDisplay, DragMovesAWidgetOnAndAcrossOutputsAndSavesWhere) {
    session_->place(
        {{.kind = VitalsWidgetKind::cpu, .position = {100, 80}, .output = "HEADLESS-2"},
         {.kind = VitalsWidgetKind::memory, .position = {20, 30}, .output = "HEADLESS-1"}});
    showWidgets(QRect(QPoint(740, 80), small));
    VirtualPointer pointer(*session_);
    ASSERT_TRUE(pointer.ready());

    session_->swaymsg({"seat - cursor set 822 162"});
    for (const char* step :
         {"move 1 1", "press 272", "move 60 60", "move 140 140", "release 272"}) {
        ASSERT_TRUE(pointer.send(step)) << step;
    }
    ASSERT_TRUE(eventually([&] { return saved().front().position == QPoint(300, 280); }));
    EXPECT_EQ(saved().front().output, "HEADLESS-2");
    EXPECT_TRUE(eventually([&] { return showsAt({1022, 362}, fake_bundle::measuredColor); }));
    EXPECT_TRUE(eventually([&] { return showsAt({822, 162}, colours::desktop); }));

    // Dropped with its centre on the other output, inside its left edge.
    session_->swaymsg({"seat - cursor set 102 112"});
    for (const char* step : {"move 1 0", "press 272", "move 300 0", "move 299 0", "release 272"}) {
        ASSERT_TRUE(pointer.send(step)) << step;
    }
    ASSERT_TRUE(eventually([&] { return saved().back().output == "HEADLESS-2"; }));
    EXPECT_EQ(saved().back().position, QPoint(0, 30));
    EXPECT_TRUE(eventually([&] {
        return session_->colourAt({640 + 82, 112}) == fake_bundle::measuredColor;
    }));
    EXPECT_TRUE(eventually([&] { return showsAt({102, 112}, colours::desktop); }));
}

TEST_F(DesktopDisplay, ClickOpensTheLinkAndTheContextMenuRemoves) {
    session_->place(
        {{.kind = VitalsWidgetKind::cpu, .position = {100, 80}, .output = "HEADLESS-2"}});
    showWidgets(QRect(QPoint(740, 80), small));
    VirtualPointer pointer(*session_);
    ASSERT_TRUE(pointer.ready());

    session_->swaymsg({"seat - cursor set 822 162"});
    ASSERT_TRUE(pointer.send("move 1 1") && pointer.click(leftButton));
    // The opener writes its argument to a file: wait for the whole line, not only the file.
    QByteArray opened;
    EXPECT_TRUE(eventually([&] {
        QFile file(session_->file("home/opened"));
        opened = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return opened.endsWith('\n');
    }));
    EXPECT_EQ(opened.trimmed(), describeWidget(VitalsWidgetKind::cpu).url.toUtf8());

    ASSERT_TRUE(pointer.click(rightButton));
    // The menu opens below and right of the pointer, above the widget.
    EXPECT_TRUE(eventually([&] {
        const QColor menu = session_->colourAt({823 + 90, 163 + 17});
        return menu != colours::desktop && menu != fake_bundle::measuredColor;
    }));
    session_->swaymsg({"seat - cursor set 843 173"});
    ASSERT_TRUE(pointer.send("move 1 1") && pointer.click(leftButton));
    EXPECT_TRUE(eventually([&] { return saved().empty(); }));
    EXPECT_TRUE(eventually([&] { return showsAt({760, 100}, colours::desktop); }));
}

TEST_F(DesktopDisplay, WidgetsFindAnOutputAndMoveToTheirOwnWhenItComes) {
    session_->place({{.kind = VitalsWidgetKind::cpu, .position = {10, 10}, .output = "HEADLESS-3"},
                     {.kind = VitalsWidgetKind::gpu, .position = {30000, -500}, .output = "DP-9"}});
    // Both wait on the top-left output; the one off every screen is brought inside it.
    showWidgets(QRect(QPoint(10, 10), small));
    EXPECT_TRUE(eventually([&] { return showsAt({640 - 82, 82}, fake_bundle::measuredColor); }));

    ASSERT_EQ(session_->swaymsg({"create_output"}).code, 0);
    const auto outputs =
        QJsonDocument::fromJson(session_->swaymsg({"-t", "get_outputs"}).out).array();
    QPoint third;
    for (const QJsonValue output : outputs) {
        const QJsonObject described = output.toObject();
        if (described["name"].toString() == "HEADLESS-3") {
            const QJsonObject rect = described["rect"].toObject();
            third = QPoint(rect["x"].toInt(), rect["y"].toInt());
        }
    }
    ASSERT_FALSE(third.isNull());
    EXPECT_TRUE(
        eventually([&] { return showsAt(third + QPoint(92, 92), fake_bundle::measuredColor); }));
    EXPECT_TRUE(eventually([&] { return showsAt({92, 92}, colours::desktop); }));
    EXPECT_EQ(saved().front().position, QPoint(10, 10));
}

TEST_F(DesktopDisplay, OutlivesItsCompositorIdlesMeanwhileAndComesBack) {
    session_->place(
        {{.kind = VitalsWidgetKind::cpu, .position = {100, 80}, .output = "HEADLESS-2"}});
    const QRect shownAt(QPoint(740, 80), small);
    showWidgets(shownAt);
    host_.readAllStandardError();

    // Nothing wakes the host between refreshes: no thread of it is switched to for seconds.
    const auto switches = [this] {
        long total = 0;
        const QString tasks = QStringLiteral("/proc/%1/task").arg(host_.processId());
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile status(tasks + "/" + task + "/status");
            status.open(QIODevice::ReadOnly);
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.contains("ctxt_switches:")) {
                    total += line.split(':').last().trimmed().toLong();
                }
            }
        }
        return total;
    };
    // The compositor lets go of the first pictures a moment after it has shown them.
    QThread::sleep(2);
    const long before = switches();
    QThread::sleep(3);
    EXPECT_EQ(switches(), before);

    session_->stopSway();
    ASSERT_TRUE(eventuallySays(host_, "lost the Wayland compositor"));
    QThread::sleep(1);
    EXPECT_EQ(host_.state(), QProcess::Running);
    QString whyNot;
    ASSERT_TRUE(session_->startSway(whyNot)) << whyNot.toStdString();
    EXPECT_TRUE(eventually(
        [&] { return session_->colourAt(shownAt.center()) == fake_bundle::measuredColor; },
        20'000));
    EXPECT_EQ(saved().size(), 1U);
}

// A client of an X server that looks at the host's windows.
class XClient {
public:
    explicit XClient(const QString& display)
        : connection_(xcb_connect(display.toLatin1().constData(), nullptr)) {}
    ~XClient() { xcb_disconnect(connection_); }
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return xcb_connection_has_error(connection_) == 0; }

    // The widget host's windows, wherever in the tree a window manager has put them.
    std::vector<xcb_window_t> widgetWindows() const {
        std::vector<xcb_window_t> found;
        std::vector<xcb_window_t> pending{
            xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root};
        while (!pending.empty()) {
            const xcb_window_t window = pending.back();
            pending.pop_back();
            if (property(window, "WM_CLASS", XCB_ATOM_STRING).startsWith("vantric-widget-host")) {
                found.push_back(window);
            }
            const Reply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr),
                &std::free);
            if (tree) {
                const xcb_window_t* const children = xcb_query_tree_children(tree.get());
                pending.insert(pending.end(), children,
                               children + xcb_query_tree_children_length(tree.get()));
            }
        }
        return found;
    }

    QByteArray property(xcb_window_t window, const char* name, xcb_atom_t type) const {
        const Reply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, window, atom(name), type, 0, 64),
                nullptr),
            &std::free);
        return reply ? QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()))
                     : QByteArray();
    }

    xcb_atom_t atom(const char* name) const {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(
                connection_,
                xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)),
                                name),
                nullptr),
            &std::free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

private:
    template <typename T>
    using Reply = std::unique_ptr<T, decltype(&std::free)>;

    xcb_connection_t* connection_;
};

// A user of its own in root for the host and the display server: runtime folder, settings and
// home, with no display of the machine's own.
QProcessEnvironment userOf(const QTemporaryDir& root) {
    QDir(root.path()).mkpath("run");
    QFile::setPermissions(root.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", root.filePath("run"));
    environment.insert("XDG_CONFIG_HOME", root.filePath("config"));
    environment.insert("HOME", root.path());
    for (const char* display : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        environment.remove(display);
    }
    // Qt's xcb platform loads the keymap through libxkbcommon-x11, which hands strndup a buffer
    // of exactly the length it gives, unterminated: legal, but strict string checks take it for
    // an overflow.
    if (environment.contains("ASAN_OPTIONS")) {
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    }
    return environment;
}

// Weston offers no layer shell: the host shows X11 windows through XWayland instead, and a
// forced layer shell is refused in one line.
TEST(DesktopDisplayFallback, ShowsX11WindowsThroughXWaylandWithoutLayerShell) {
    if (!installed("weston") || !installed("Xwayland")) {
        GTEST_SKIP() << "weston and Xwayland are needed";
    }
    QTemporaryDir root;
    QProcessEnvironment environment = userOf(root);
    QProcess weston;
    weston.setProcessEnvironment(environment);
    weston.start("weston",
                 {"--backend=headless-backend.so", "--use-pixman", "--width=1280", "--height=800",
                  "--socket=vantric-test", "--xwayland", "--log=" + root.filePath("weston.log")});
    QString display;
    ASSERT_TRUE(eventually(
        [&] {
            QFile log(root.filePath("weston.log"));
            if (!log.open(QIODevice::ReadOnly)) {
                return false;
            }
            const auto found =
                QRegularExpression("xserver listening on display (:\\d+)").match(log.readAll());
            display = found.captured(1);
            return found.hasMatch();
        },
        10'000));
    ASSERT_TRUE(savePlacements({{.kind = VitalsWidgetKind::cpu, .position = {100, 80}}},
                               root.filePath("config/Vantric/WidgetHost.conf")));
    environment.insert("WAYLAND_DISPLAY", "vantric-test");
    environment.insert("DISPLAY", display);

    QProcess refused;
    refused.setProcessEnvironment(environment);
    refused.start(WIDGET_HOST_PROGRAM,
                  {"--plugin", FAKE_BUNDLE_PLUGIN, "--backend", "layer-shell"});
    ASSERT_TRUE(refused.waitForFinished(10'000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_EQ(refused.readAllStandardError().trimmed(),
              "vantric-widget-host: --backend layer-shell: the compositor on vantric-test offers "
              "no layer shell");

    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(WIDGET_HOST_PROGRAM, {"--plugin", FAKE_BUNDLE_PLUGIN});
    XClient x(display);
    ASSERT_TRUE(x.connected());
    EXPECT_TRUE(eventually([&] { return x.widgetWindows().size() == 1; }, 10'000));
    EXPECT_TRUE(eventuallySays(host, "as X11 windows through XWayland on " + display.toLatin1()));
    host.kill();
    host.waitForFinished();
    weston.terminate();
    weston.waitForFinished();
}

}  // namespace
}  // namespace vantric

namespace vantric {
namespace {

// With no window manager to change them, the X server holds what the host asked for.
TEST(DesktopDisplayFallback, AsksX11ToKeepWidgetsBelowOnEveryDesktop) {
    if (!installed("Xvfb")) {
        GTEST_SKIP() << "Xvfb is needed";
    }
    int number = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) && number < 200) {
        ++number;
    }
    const QString display = QStringLiteral(":%1").arg(number);
    QProcess server;
    server.start("Xvfb", {display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    ASSERT_TRUE(eventually(
        [&] { return QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)); }, 10'000));
    QTemporaryDir root;
    ASSERT_TRUE(savePlacements({{.kind = VitalsWidgetKind::cpu, .position = {100, 80}}},
                               root.filePath("config/Vantric/WidgetHost.conf")));
    QProcessEnvironment environment = userOf(root);
    environment.insert("DISPLAY", display);
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(WIDGET_HOST_PROGRAM, {"--plugin", FAKE_BUNDLE_PLUGIN, "--backend", "x11"});

    XClient x(display);
    ASSERT_TRUE(x.connected());
    std::vector<xcb_window_t> windows;
    ASSERT_TRUE(eventually([&] { return (windows = x.widgetWindows()).size() == 1; }, 10'000));
    // Set just after the window is made, before it is shown.
    QByteArray states;
    EXPECT_TRUE(eventually([&] {
        return !(states = x.property(windows.front(), "_NET_WM_STATE", XCB_ATOM_ATOM)).isEmpty();
    }));
    for (const char* state : {"_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR",
                              "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY"}) {
        const xcb_atom_t wanted = x.atom(state);
        EXPECT_TRUE(states.contains(QByteArray(reinterpret_cast<const char*>(&wanted), 4)))
            << state;
    }
    const QByteArray desktop = x.property(windows.front(), "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL);
    ASSERT_EQ(desktop.size(), 4);
    EXPECT_EQ(*reinterpret_cast<const std::uint32_t*>(desktop.constData()), 0xFFFFFFFFU);
    EXPECT_TRUE(eventuallySays(host, "as X11 windows on " + display.toLatin1()));
    host.kill();
    host.waitForFinished();
    server.terminate();
    server.waitForFinished();
}

}  // namespace
}  // namespace vantric
