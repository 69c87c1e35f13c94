#include "widget_host/layer_shell/popup_menu.hpp"

#include <linux/input-event-codes.h>

#include <wayland-client.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include "widget_host/layer_shell/layer_shell_backend.hpp"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace vantric {
namespace {

constexpr QSize menuSize{180, 34};

}  // namespace

std::unique_ptr<PopupMenu> PopupMenu::open(LayerShellBackend& backend,
                                           zwlr_layer_surface_v1* parent, std::uint32_t serial,
                                           QPoint at, int scale, std::function<void()> chosen,
                                           std::function<void()> closed) {
    const WaylandGlobals& globals = backend.globals();
    if (globals.wmBase == nullptr || globals.seat == nullptr) {
        return nullptr;
    }
    std::unique_ptr<PopupMenu> menu(
        new PopupMenu(backend, scale, std::move(chosen), std::move(closed)));
    xdg_positioner* const positioner = xdg_wm_base_create_positioner(globals.wmBase);
    xdg_positioner_set_size(positioner, menuSize.width(), menuSize.height());
    xdg_positioner_set_anchor_rect(positioner, at.x(), at.y(), 1, 1);
    xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_BOTTOM_RIGHT);
    xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
    // Near a screen's edge the menu opens the other way rather than off the screen.
    xdg_positioner_set_constraint_adjustment(positioner,
                                             XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
    PopupMenu& made = *menu;
    made.surface_ = wl_compositor_create_surface(globals.compositor);
    wl_surface_set_user_data(made.surface_, static_cast<PointerTarget*>(&made));
    made.xdgSurface_ = xdg_wm_base_get_xdg_surface(globals.wmBase, made.surface_);
    static const xdg_surface_listener surfaceListener{
        .configure = [](void* data, xdg_surface* surface, std::uint32_t configureSerial) {
            xdg_surface_ack_configure(surface, configureSerial);
            auto* const self = static_cast<PopupMenu*>(data);
            self->configured_ = true;
            self->draw();
        }};
    xdg_surface_add_listener(made.xdgSurface_, &surfaceListener, &made);
    made.popup_ = xdg_surface_get_popup(made.xdgSurface_, nullptr, positioner);
    xdg_positioner_destroy(positioner);
    static const xdg_popup_listener popupListener{
        .configure = [](void*, xdg_popup*, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t) {},
        .popup_done = [](void* data,
                         xdg_popup* /*popup*/) { static_cast<PopupMenu*>(data)->closed_(); },
        .repositioned = [](void*, xdg_popup*, std::uint32_t) {},
    };
    xdg_popup_add_listener(made.popup_, &popupListener, &made);
    zwlr_layer_surface_v1_get_popup(parent, made.popup_);
    // With the grab a click anywhere else closes the menu, as a menu does.
    xdg_popup_grab(made.popup_, globals.seat, serial);
    wl_surface_commit(made.surface_);
    return menu;
}

PopupMenu::PopupMenu(LayerShellBackend& backend, int scale, std::function<void()> chosen,
                     std::function<void()> closed)
    : backend_(backend), scale_(scale), chosen_(std::move(chosen)), closed_(std::move(closed)) {}

PopupMenu::~PopupMenu() {
    backend_.forgetTarget(this);
    if (popup_ != nullptr) {
        xdg_popup_destroy(popup_);
        xdg_surface_destroy(xdgSurface_);
        wl_surface_destroy(surface_);
    }
}

void PopupMenu::draw() {
    if (!configured_) {
        return;
    }
    ShmBuffer* buffer = nullptr;
    for (auto& candidate : buffers_) {
        if (candidate == nullptr) {
            candidate = ShmBuffer::make(backend_.globals().shm, menuSize * scale_);
        }
        if (candidate != nullptr && !candidate->busy()) {
            buffer = candidate.get();
            break;
        }
    }
    if (buffer == nullptr) {
        return;
    }
    QImage& image = buffer->image();
    image.setDevicePixelRatio(scale_);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette palette = QGuiApplication::palette();
        const QRectF area(QPointF(0, 0), QSizeF(menuSize));
        painter.setPen(palette.color(QPalette::Mid));
        painter.setBrush(hovered_ ? palette.color(QPalette::Highlight)
                                  : palette.color(QPalette::Window));
        painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        painter.setPen(hovered_ ? palette.color(QPalette::HighlightedText)
                                : palette.color(QPalette::WindowText));
        painter.drawText(area.adjusted(12, 0, -12, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         QCoreApplication::translate("vantric::WidgetWindow", "Remove Widget"));
    }
    wl_surface_set_buffer_scale(surface_, scale_);
    wl_surface_attach(surface_, buffer->attach(), 0, 0);
    wl_surface_damage(surface_, 0, 0, menuSize.width(), menuSize.height());
    wl_surface_commit(surface_);
}

void PopupMenu::pointerMotion(QPointF local) {
    const bool over = QRectF(QPointF(0, 0), QSizeF(menuSize)).contains(local);
    if (over != hovered_) {
        hovered_ = over;
        draw();
    }
}

void PopupMenu::pointerButton(std::uint32_t /*serial*/, std::uint32_t button, bool pressed) {
    if (button == BTN_LEFT && !pressed && hovered_) {
        chosen_();
        closed_();
    }
}

void PopupMenu::pointerLeft() {
    pointerMotion(QPointF(-1, -1));
}

}  // namespace vantric
