#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QLockFile>

#include "manual/vantric-widget-host.hpp"
#include "platform/linux/runtime_folder.hpp"
#include "widget_host/backend_choice.hpp"
#include "widget_host/bundle_loader.hpp"
#include "widget_host/host_client.hpp"
#include "widget_host/host_command_line.hpp"
#include "widget_host/host_protocol.hpp"
#include "widget_host/layer_shell/layer_shell_backend.hpp"
#include "widget_host/placements.hpp"
#include "widget_host/widget_host.hpp"
#include "widget_host/widget_render.hpp"
#include "widget_host/x11/x11_backend.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace {

using vantric::HostCommandLine;
using vantric::WidgetBundle;
using vantric::WidgetDescription;

void say(const QString& line) {
    static_cast<void>(
        std::fprintf(stderr, "vantric-widget-host: %s\n", line.toLocal8Bit().constData()));
}

// The arguments' problem and the usage line on standard error.
int usage(const QString& problem) {
    say(problem);
    static_cast<void>(
        std::fwrite(vantric::manual::usage.data(), 1, vantric::manual::usage.size(), stderr));
    return 2;
}

// The description of the widget the argument names, among those the bundle offers.
std::optional<WidgetDescription> offered(const WidgetBundle& bundle, const QString& argument) {
    const auto kind = vantric::kindFromArgument(argument);
    for (const WidgetDescription& description : bundle.widgets()) {
        if (kind && description.kind == *kind) {
            return description;
        }
    }
    say(QStringLiteral("no such widget: %1").arg(argument));
    return std::nullopt;
}

int list(const WidgetBundle& bundle) {
    for (const WidgetDescription& description : bundle.widgets()) {
        const auto raw = vantric::rawValue(description.kind);
        std::printf("%.*s\t%s\t%s\t%dx%d\n", static_cast<int>(raw.size()), raw.data(),
                    description.identifier.c_str(), description.name.toUtf8().constData(),
                    description.size.width(), description.size.height());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int edit(const HostCommandLine& command, const WidgetBundle& bundle,
         const std::optional<QString>& folder) {
    const auto description = offered(bundle, command.kind);
    if (!description) {
        return 2;
    }
    auto placements = vantric::loadPlacements();
    if (command.mode == HostCommandLine::Mode::add) {
        const auto spot = placements.size() < vantric::maxPlacements
                              ? vantric::freeSpot(placements, description->kind)
                              : std::nullopt;
        if (!spot) {
            say(QStringLiteral("no room for another widget: %1 are placed").arg(placements.size()));
            return 1;
        }
        placements.push_back({.kind = description->kind, .position = *spot});
    } else {
        const auto last = vantric::lastPlacementOf(placements, description->kind);
        if (!last) {
            say(QStringLiteral("no %1 widget is placed").arg(command.kind));
            return 1;
        }
        placements.erase(placements.begin() + static_cast<std::ptrdiff_t>(*last));
    }
    if (!vantric::savePlacements(placements)) {
        say(QStringLiteral("cannot save the placed widgets in %1").arg(vantric::placementsFile()));
        return 1;
    }
    // A host that runs shows the change at once; one that does not reads it when it starts.
    if (folder) {
        static_cast<void>(
            vantric::askHost(vantric::hostSocketPath(*folder), vantric::HostRequest::placements));
    }
    return 0;
}

int render(const HostCommandLine& command, WidgetBundle& bundle) {
    const auto description = offered(bundle, command.kind);
    if (!description) {
        return 2;
    }
    const QImage image = vantric::renderWidget(bundle, *description);
    if (image.isNull()) {
        say(QStringLiteral("no timeline came for the %1 widget").arg(command.kind));
        return 1;
    }
    if (!image.save(command.out, "PNG")) {
        say(QStringLiteral("cannot write %1").arg(command.out));
        return 1;
    }
    return 0;
}

// Held for the host's whole life, so that there is one host per user; null when another
// host holds it.
std::unique_ptr<QLockFile> claimHost(const QString& folder) {
    auto lock = std::make_unique<QLockFile>(vantric::hostLockPath(folder));
    // A lock left by a host that died is taken over at once; a live host's is never stale.
    lock->setStaleLockTime(0);
    return lock->tryLock(0) ? std::move(lock) : nullptr;
}

// The display the host shows its widgets on, chosen before Qt starts, since Qt's platform
// follows from it; nothing, said why, when there is none.
struct ChosenDisplay {
    std::optional<vantric::DisplayKind> kind{};
    std::unique_ptr<vantric::WaylandConnection> wayland{};
};

ChosenDisplay chooseDisplay(const HostCommandLine& command) {
    const vantric::DisplaySetting setting{
        .forced = command.backend,
        .offscreen = qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen"),
        .waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                          !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET") ||
                          qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland"),
    };
    ChosenDisplay chosen;
    const vantric::DisplayChoice choice = vantric::chooseDisplay(
        setting, [&chosen] { return vantric::probeLayerShell(chosen.wayland); },
        vantric::probeX11Display);
    say(choice.line);
    chosen.kind = choice.kind;
    if (choice.kind == vantric::DisplayKind::layerShell) {
        // Qt only paints into memory here: no platform of its own reaches the display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    } else if (choice.kind == vantric::DisplayKind::x11) {
        // Also where Qt would otherwise pick Wayland, as a Wayland session asks of it.
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    return chosen;
}

int host(WidgetBundle& bundle, const std::optional<QString>& folder, ChosenDisplay display) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(vantric::applicationIdentifier));
    // The host lives on with no widget placed, waiting for one to be added.
    QApplication::setQuitOnLastWindowClosed(false);
    std::unique_ptr<vantric::DisplayBackend> backend;
    if (display.kind == vantric::DisplayKind::layerShell) {
        backend = std::make_unique<vantric::LayerShellBackend>(bundle, std::move(display.wayland));
    } else {
        backend = std::make_unique<vantric::X11Backend>(bundle);
    }
    vantric::WidgetHost running(bundle, *backend);
    const auto socket = folder ? std::optional(vantric::hostSocketPath(*folder)) : std::nullopt;
    if (!running.start(socket)) {
        say(QStringLiteral("cannot listen on %1").arg(*socket));
        return 1;
    }
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int index = 1; index < argc; ++index) {
        arguments.append(QString::fromLocal8Bit(argv[index]));
    }
    const auto command = vantric::parseHostCommandLine(arguments);
    if (!command) {
        return usage(command.problem);
    }
    if (command->mode == HostCommandLine::Mode::help ||
        command->mode == HostCommandLine::Mode::version) {
        const int written =
            command->mode == HostCommandLine::Mode::help
                ? std::printf("%.*s", static_cast<int>(vantric::manual::help.size()),
                              vantric::manual::help.data())
                : std::printf("vantric-widget-host %.*s\n",
                              static_cast<int>(vantric::manual::version.size()),
                              vantric::manual::version.data());
        return written < 0 || std::fflush(stdout) != 0 ? 1 : 0;
    }
    // Before Qt starts: a second host, as at a login that starts one, needs no display to leave.
    const std::optional<QString> folder = vantric::privateRuntimeFolder();
    std::unique_ptr<QLockFile> hostLock;
    if (command->mode == HostCommandLine::Mode::host && folder) {
        hostLock = claimHost(*folder);
        if (hostLock == nullptr) {
            say(QStringLiteral("a widget host already runs"));
            return 0;
        }
    } else if (command->mode == HostCommandLine::Mode::host) {
        say(
            QStringLiteral("no private runtime folder: running without the lock and socket that "
                           "keep to one host, which Vantric and --add cannot reach"));
    }
    if (command->mode == HostCommandLine::Mode::render) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ChosenDisplay display;
    if (command->mode == HostCommandLine::Mode::host) {
        display = chooseDisplay(*command.command);
        if (!display.kind) {
            return 2;
        }
    }
    // Qt is given the program name only: it would take "--plugin PATH" as a request to load a
    // generic plug-in of its own, searching its plug-in folders for it.
    int qtArgumentCount = argc > 0 ? 1 : 0;
    // Listing and editing the placed widgets work without a display, as from a login script.
    const bool shows = command->mode == HostCommandLine::Mode::host ||
                       command->mode == HostCommandLine::Mode::render;
    const std::unique_ptr<QCoreApplication> application =
        shows ? std::make_unique<QApplication>(qtArgumentCount, argv)
              : std::make_unique<QCoreApplication>(qtArgumentCount, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantric-widget-host"));
    QCoreApplication::setOrganizationName(QStringLiteral("Vantric"));

    const QString path = command->plugin.value_or(vantric::installedBundlePath());
    const vantric::LoadedBundle loaded = vantric::loadBundle(path);
    if (loaded.bundle == nullptr) {
        say(QStringLiteral("cannot load the widget plug-in %1: %2").arg(path, loaded.error));
        return 2;
    }
    switch (command->mode) {
    case HostCommandLine::Mode::list: return list(*loaded.bundle);
    case HostCommandLine::Mode::add:
    case HostCommandLine::Mode::remove: return edit(*command.command, *loaded.bundle, folder);
    case HostCommandLine::Mode::render: return render(*command.command, *loaded.bundle);
    case HostCommandLine::Mode::host: return host(*loaded.bundle, folder, std::move(display));
    case HostCommandLine::Mode::help:
    case HostCommandLine::Mode::version: break;
    }
    return 0;
}
