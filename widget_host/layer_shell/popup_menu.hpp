#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <QPoint>

#include "widget_host/layer_shell/layer_shell_backend.hpp"
#include "widget_host/layer_shell/shm_buffer.hpp"

struct wl_surface;
struct xdg_popup;
struct xdg_surface;
struct zwlr_layer_surface_v1;

namespace vantric {

class LayerShellBackend;

// A widget's context menu, with its one item "Remove Widget": an xdg popup whose parent is the
// widget's layer surface, so that the compositor draws it above the windows and closes it when
// the user clicks elsewhere. Main thread.
class PopupMenu final : public PointerTarget {
public:
    // Opened at the widget-local point at, for the button press serial; nothing when the
    // compositor offers no popups. chosen runs when the item is clicked, closed when the menu
    // goes away either way; neither may destroy the menu at once.
    static std::unique_ptr<PopupMenu> open(LayerShellBackend& backend,
                                           zwlr_layer_surface_v1* parent, std::uint32_t serial,
                                           QPoint at, int scale, std::function<void()> chosen,
                                           std::function<void()> closed);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void pointerMotion(QPointF local) override;
    void pointerButton(std::uint32_t serial, std::uint32_t button, bool pressed) override;
    void pointerLeft() override;

private:
    PopupMenu(LayerShellBackend& backend, int scale, std::function<void()> chosen,
              std::function<void()> closed);
    void draw();

    LayerShellBackend& backend_;
    int scale_;
    std::function<void()> chosen_;
    std::function<void()> closed_;
    wl_surface* surface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_popup* popup_ = nullptr;
    // Two, so that a hover drawn while the compositor still reads the last picture is not lost.
    std::unique_ptr<ShmBuffer> buffers_[2]{};
    bool configured_ = false;
    bool hovered_ = false;
};

}  // namespace vantric
