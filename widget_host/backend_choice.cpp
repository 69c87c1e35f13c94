#include "widget_host/backend_choice.hpp"

namespace vantric {
namespace {

DisplayChoice chosen(DisplayKind kind, const QString& line) {
    return DisplayChoice{.kind = kind, .line = line};
}

DisplayChoice refused(const QString& line) {
    return DisplayChoice{.kind = std::nullopt, .line = line};
}

}  // namespace

DisplayChoice chooseDisplay(const DisplaySetting& setting,
                            const std::function<DisplayProbe()>& probeLayerShell,
                            const std::function<DisplayProbe()>& probeX11) {
    const auto layerShell = [](const DisplayProbe& probe) {
        return chosen(DisplayKind::layerShell,
                      QStringLiteral("showing widgets as layer surfaces on %1").arg(probe.name));
    };
    if (setting.forced == DisplayKind::layerShell) {
        const DisplayProbe wayland = probeLayerShell();
        return wayland.usable
                   ? layerShell(wayland)
                   : refused(QStringLiteral("--backend layer-shell: %1").arg(wayland.problem));
    }
    if (setting.forced == DisplayKind::x11) {
        const DisplayProbe x = probeX11();
        return x.usable ? chosen(DisplayKind::x11,
                                 QStringLiteral("showing widgets as X11 windows on %1").arg(x.name))
                        : refused(QStringLiteral("--backend x11: %1").arg(x.problem));
    }
    if (setting.offscreen) {
        return chosen(DisplayKind::offscreen,
                      QStringLiteral("showing widgets as windows on the offscreen platform, "
                                     "where nobody sees them"));
    }
    QString waylandProblem = QStringLiteral("not a Wayland session");
    if (setting.waylandSession) {
        const DisplayProbe wayland = probeLayerShell();
        if (wayland.usable) {
            return layerShell(wayland);
        }
        waylandProblem = wayland.problem;
    }
    const DisplayProbe x = probeX11();
    if (!x.usable) {
        return refused(
            QStringLiteral("no display for widgets: %1, and %2").arg(waylandProblem, x.problem));
    }
    return chosen(DisplayKind::x11,
                  setting.waylandSession
                      ? QStringLiteral("showing widgets as X11 windows through XWayland on %1 "
                                       "(%2)")
                            .arg(x.name, waylandProblem)
                      : QStringLiteral("showing widgets as X11 windows on %1").arg(x.name));
}

std::optional<DisplayKind> displayKindNamed(const QString& name) {
    if (name == QStringLiteral("layer-shell")) {
        return DisplayKind::layerShell;
    }
    if (name == QStringLiteral("x11")) {
        return DisplayKind::x11;
    }
    return std::nullopt;
}

}  // namespace vantric
