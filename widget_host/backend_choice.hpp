#pragma once

#include <functional>
#include <optional>

#include <QString>

namespace vantric {

// How the host shows its widgets.
enum class DisplayKind {
    layerShell,  // surfaces on a Wayland compositor's bottom layer
    x11,         // X11 windows kept below, on an X server or XWayland
    offscreen,   // windows on Qt's offscreen platform, which nobody sees (tests, benchmarks)
};

// What a look at one display found: usable, under which name, or why not.
struct DisplayProbe {
    bool usable = false;
    QString name{};     // "wayland-1", ":0"
    QString problem{};  // when not usable
};

// What the host knows before it touches a display.
struct DisplaySetting {
    std::optional<DisplayKind> forced{};  // --backend
    bool offscreen = false;               // QT_QPA_PLATFORM asks for the offscreen platform
    bool waylandSession = false;          // WAYLAND_DISPLAY, WAYLAND_SOCKET or the session type
};

// The display chosen, with the line that says so, or no display and the line that says why.
struct DisplayChoice {
    std::optional<DisplayKind> kind{};
    QString line{};
};

// Picks the display: a forced one or nothing; the offscreen platform when Qt is asked for it; in
// a Wayland session the compositor's layer shell, else its XWayland; otherwise X11. A probe runs
// only when its answer decides, so that a compositor with layer shell never has XWayland started
// for a look.
DisplayChoice chooseDisplay(const DisplaySetting& setting,
                            const std::function<DisplayProbe()>& probeLayerShell,
                            const std::function<DisplayProbe()>& probeX11);

// The --backend value's kind: "layer-shell" or "x11".
std::optional<DisplayKind> displayKindNamed(const QString& name);

}  // namespace vantric
