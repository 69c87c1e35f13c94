#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QTimer>

#include "widget_host/backend_choice.hpp"
#include "widget_host/display_backend.hpp"
#include "widget_host/layer_shell/wayland_connection.hpp"
#include "widget_host/output_places.hpp"

struct wl_compositor;
struct wl_cursor_theme;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace vantric {

class LayerShellBackend;
class LayerWidget;

// What a surface does with the pointer; a wl_surface's user data points to its target.
class PointerTarget {
public:
    virtual void pointerMotion(QPointF local) = 0;
    virtual void pointerButton(std::uint32_t serial, std::uint32_t button, bool pressed) = 0;
    virtual void pointerLeft() = 0;

protected:
    ~PointerTarget() = default;
};

// The compositor's objects of one connection that widgets are made with.
struct WaylandGlobals {
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    std::uint32_t compositorVersion = 0;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;  // for the context menu; none means no menu
    zxdg_output_manager_v1* outputManager = nullptr;
    wl_seat* seat = nullptr;
    std::uint32_t seatName = 0;
    wl_pointer* pointer = nullptr;
};

// One output of the compositor, with the place the desktop gives it.
struct WaylandOutput {
    LayerShellBackend* backend = nullptr;
    std::uint32_t global = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    QString name{};
    QRect area{};     // logical pixels, in the desktop's layout
    QRect logical{};  // as xdg-output gives it
    QSize modePixels{};
    int scale = 1;
    bool ready = false;  // its description is complete
};

// Widgets as surfaces on the compositor's bottom layer (wlr layer shell), below every window and
// above the wallpaper, each on its saved output at its saved corner. Outputs that come and go
// move the widgets between them without touching what is saved; a compositor that goes away is
// waited for, and the widgets come back when it does. Main thread.
class LayerShellBackend : public QObject, public DisplayBackend {
    Q_OBJECT

public:
    LayerShellBackend(const WidgetBundle& bundle, std::unique_ptr<WaylandConnection> connection);
    ~LayerShellBackend() override;

    std::unique_ptr<WidgetSurface> show(const WidgetDescription& description,
                                        VitalsEntry placeholder,
                                        const Placement& placement) override;
    void open(const QString& url) override;

    // For the widgets: the live connection's objects, and its outputs.
    const WaylandGlobals& globals() const { return globals_; }
    std::vector<const WaylandOutput*> readyOutputs() const;
    const WaylandOutput* output(std::uint32_t global) const;
    bool connected() const { return connection_ != nullptr; }
    void forget(LayerWidget* widget);
    void forgetTarget(const PointerTarget* target);
    // Lays the widgets out again once the events being handled are done.
    void relayoutSoon();
    // An output has told all about itself, or something new.
    void outputDescribed(WaylandOutput& output);

private:
    bool bindGlobals();
    void addGlobal(std::uint32_t name, const char* interface, std::uint32_t version);
    void removeGlobal(std::uint32_t name);
    void describeOutput(WaylandOutput& output);
    void seatCapabilities(std::uint32_t capabilities);
    void pointerEntered(wl_surface* surface, std::uint32_t serial, QPointF local);
    void relayout();
    void setCursor(std::uint32_t serial);
    void lose(const QString& reason);
    void reconnect();
    void tearDown();

    const WidgetBundle& bundle_;
    std::unique_ptr<WaylandConnection> connection_;
    WaylandGlobals globals_{};
    std::vector<std::unique_ptr<WaylandOutput>> outputs_{};
    std::vector<LayerWidget*> widgets_{};
    PointerTarget* pointerFocus_ = nullptr;
    wl_cursor_theme* cursorTheme_ = nullptr;
    wl_surface* cursorSurface_ = nullptr;
    QTimer relayout_{};
    bool outputsChanged_ = false;
    QTimer reconnect_{};
    int reconnectDelayMs_ = 0;
    std::chrono::steady_clock::time_point connectedAt_{};
};

// Whether the compositor WAYLAND_DISPLAY names offers layer shell; the connection to keep when
// it does.
DisplayProbe probeLayerShell(std::unique_ptr<WaylandConnection>& kept);

}  // namespace vantric
