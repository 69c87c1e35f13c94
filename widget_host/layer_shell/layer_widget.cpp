#include "widget_host/layer_shell/layer_widget.hpp"

#include <linux/input-event-codes.h>

#include <wayland-client.h>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPainter>
#include <QStyleHints>

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace vantric {
namespace {

// The namespace KDE Plasma shows as a desktop widget (kept on "Show Desktop", never focused
// like a window); wlroots compositors take any.
constexpr char layerNamespace[] = "desktop";

}  // namespace

LayerWidget::LayerWidget(LayerShellBackend& backend, const WidgetBundle& bundle,
                         const WidgetDescription& description, VitalsEntry placeholder,
                         Placement placement)
    : WidgetSurface(description, std::move(placeholder)),
      backend_(backend),
      bundle_(bundle),
      placement_(std::move(placement)),
      size_(description.size) {}

LayerWidget::~LayerWidget() {
    unmap();
    backend_.forget(this);
}

void LayerWidget::place() {
    const std::vector<const WaylandOutput*> outputs = backend_.readyOutputs();
    std::vector<OutputArea> areas;
    areas.reserve(outputs.size());
    for (const WaylandOutput* const output : outputs) {
        areas.push_back({.name = output->name, .area = output->area});
    }
    const auto resolved = resolvePlace(placement_, areas, size_);
    if (!resolved) {
        destroyLayer(shown_);
        return;
    }
    const WaylandOutput& target = *outputs[resolved->output];
    if (closedOn_ == target.global || dragging_) {
        return;
    }
    if (shown_.surface != nullptr && shown_.output == target.global) {
        if (shown_.corner != resolved->corner) {
            moveLayer(shown_, resolved->corner);
        }
        if (shown_.scale != target.scale && shown_.configured) {
            shown_.scale = target.scale;
            draw(shown_, true);
        }
        return;
    }
    destroyLayer(shown_);
    shown_ = makeLayer(target, resolved->corner, true);
}

void LayerWidget::unmap() {
    menu_.reset();
    destroyLayer(ghost_);
    destroyLayer(shown_);
    buffers_.clear();
    pressed_ = false;
    dragging_ = false;
}

void LayerWidget::present() {
    if (shown_.configured && !dragging_) {
        draw(shown_, true);
    }
    if (ghost_.configured) {
        draw(ghost_, true);
    }
}

LayerWidget::Layer LayerWidget::makeLayer(const WaylandOutput& output, QPoint corner,
                                          bool takesPointer) {
    const WaylandGlobals& globals = backend_.globals();
    Layer made{.surface = wl_compositor_create_surface(globals.compositor),
               .output = output.global,
               .corner = corner,
               .scale = output.scale};
    if (takesPointer) {
        wl_surface_set_user_data(made.surface, static_cast<PointerTarget*>(this));
    } else {
        // The ghost lets the pointer through to the pressed surface below the drag.
        wl_region* const nothing = wl_compositor_create_region(globals.compositor);
        wl_surface_set_input_region(made.surface, nothing);
        wl_region_destroy(nothing);
    }
    made.layer =
        zwlr_layer_shell_v1_get_layer_surface(globals.layerShell, made.surface, output.output,
                                              ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM, layerNamespace);
    static const zwlr_layer_surface_v1_listener listener{
        .configure =
            [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
               std::uint32_t /*width*/, std::uint32_t /*height*/) {
                static_cast<LayerWidget*>(data)->configured(layer, serial);
            },
        .closed =
            [](void* data, zwlr_layer_surface_v1* layer) {
                static_cast<LayerWidget*>(data)->closed(layer);
            },
    };
    zwlr_layer_surface_v1_add_listener(made.layer, &listener, this);
    zwlr_layer_surface_v1_set_size(made.layer, static_cast<std::uint32_t>(size_.width()),
                                   static_cast<std::uint32_t>(size_.height()));
    zwlr_layer_surface_v1_set_anchor(
        made.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // Measured from the output's own corner, not from inside its panels: the saved place is.
    zwlr_layer_surface_v1_set_exclusive_zone(made.layer, -1);
    zwlr_layer_surface_v1_set_margin(made.layer, corner.y(), 0, 0, corner.x());
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        made.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // Without a buffer: the compositor answers with the configure that allows one.
    wl_surface_commit(made.surface);
    return made;
}

void LayerWidget::destroyLayer(Layer& layer) {
    if (layer.surface == nullptr) {
        return;
    }
    if (&layer == &shown_) {
        backend_.forgetTarget(this);
    }
    zwlr_layer_surface_v1_destroy(layer.layer);
    wl_surface_destroy(layer.surface);
    layer = Layer{};
}

void LayerWidget::configured(zwlr_layer_surface_v1* layer, std::uint32_t serial) {
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    Layer& which = layer == ghost_.layer ? ghost_ : shown_;
    which.configured = true;
    draw(which, &which == &ghost_ || !dragging_);
}

void LayerWidget::closed(zwlr_layer_surface_v1* layer) {
    if (layer == ghost_.layer) {
        destroyLayer(ghost_);
        return;
    }
    closedOn_ = shown_.output;
    menu_.reset();
    pressed_ = false;
    dragging_ = false;
    destroyLayer(ghost_);
    destroyLayer(shown_);
    backend_.relayoutSoon();
}

void LayerWidget::moveLayer(Layer& layer, QPoint corner) {
    layer.corner = corner;
    zwlr_layer_surface_v1_set_margin(layer.layer, corner.y(), 0, 0, corner.x());
    wl_surface_commit(layer.surface);
}

void LayerWidget::draw(Layer& layer, bool content) {
    ShmBuffer* const buffer = freeBuffer(size_ * layer.scale);
    if (buffer == nullptr) {
        return;
    }
    QImage& image = buffer->image();
    image.fill(Qt::transparent);
    if (content) {
        image.setDevicePixelRatio(layer.scale);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        bundle_.paint(painter, QRectF(QPointF(0, 0), QSizeF(size_)), description().kind,
                      shownEntry());
    }
    wl_surface_set_buffer_scale(layer.surface, layer.scale);
    wl_surface_attach(layer.surface, buffer->attach(), 0, 0);
    if (backend_.globals().compositorVersion >= WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
        wl_surface_damage_buffer(layer.surface, 0, 0, image.width(), image.height());
    } else {
        wl_surface_damage(layer.surface, 0, 0, size_.width(), size_.height());
    }
    wl_surface_commit(layer.surface);
}

ShmBuffer* LayerWidget::freeBuffer(QSize pixels) {
    // A released buffer of the right size is painted again; the shown and the ghost surface
    // together never hold more than a few.
    constexpr std::size_t mostBuffers = 4;
    for (auto& buffer : buffers_) {
        if (!buffer->busy() && buffer->pixels() == pixels) {
            return buffer.get();
        }
    }
    std::erase_if(buffers_,
                  [pixels](const auto& b) { return !b->busy() && b->pixels() != pixels; });
    if (buffers_.size() >= mostBuffers) {
        return nullptr;
    }
    auto made = ShmBuffer::make(backend_.globals().shm, pixels);
    if (made == nullptr) {
        return nullptr;
    }
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

void LayerWidget::pointerMotion(QPointF local) {
    lastLocal_ = local;
    if (menu_ != nullptr || !pressed_) {
        return;
    }
    const WaylandOutput* const output = backend_.output(shown_.output);
    if (output == nullptr) {
        return;
    }
    if (!dragging_ && (local - pressLocal_).manhattanLength() >=
                          QGuiApplication::styleHints()->startDragDistance()) {
        dragging_ = true;
        ghost_ = makeLayer(*output, shown_.corner, false);
        draw(shown_, false);
    }
    if (dragging_) {
        const QPoint corner = shown_.corner + (local - pressLocal_).toPoint();
        const Placement onOutput =
            dropPlace(placement_, corner, size_,
                      {{.name = output->name, .area = QRect(QPoint(), output->area.size())}}, 0);
        moveLayer(ghost_, onOutput.position);
    }
}

void LayerWidget::pointerButton(std::uint32_t serial, std::uint32_t button, bool pressed) {
    if (button == BTN_RIGHT && pressed && !pressed_ && shown_.layer != nullptr) {
        menu_ = PopupMenu::open(
            backend_, shown_.layer, serial, lastLocal_.toPoint(), shown_.scale,
            [this] { emit removeRequested(); },
            [this] {
                QMetaObject::invokeMethod(
                    this, [this] { menu_.reset(); }, Qt::QueuedConnection);
            });
        return;
    }
    if (button != BTN_LEFT || menu_ != nullptr) {
        return;
    }
    if (pressed) {
        pressed_ = true;
        pressLocal_ = lastLocal_;
        return;
    }
    if (!std::exchange(pressed_, false)) {
        return;
    }
    if (dragging_) {
        drop(lastLocal_);
    } else {
        emit clicked();
    }
}

void LayerWidget::pointerLeft() {
    // A press the compositor took away (another grab, the surface gone) moves nothing.
    if (std::exchange(pressed_, false) && std::exchange(dragging_, false)) {
        destroyLayer(ghost_);
        draw(shown_, true);
    }
}

void LayerWidget::drop(QPointF local) {
    dragging_ = false;
    destroyLayer(ghost_);
    const WaylandOutput* const from = backend_.output(shown_.output);
    if (from == nullptr) {
        return;
    }
    const std::vector<const WaylandOutput*> outputs = backend_.readyOutputs();
    std::vector<OutputArea> areas;
    std::size_t fallback = 0;
    for (const WaylandOutput* const output : outputs) {
        if (output == from) {
            fallback = areas.size();
        }
        areas.push_back({.name = output->name, .area = output->area});
    }
    const QPoint corner = from->area.topLeft() + shown_.corner + (local - pressLocal_).toPoint();
    placement_ = dropPlace(placement_, corner, size_, areas, fallback);
    closedOn_.reset();
    if (placement_.output == from->name) {
        moveLayer(shown_, placement_.position);
        draw(shown_, true);
    } else {
        destroyLayer(shown_);
        place();
    }
    emit moved(placement_);
}

}  // namespace vantric
