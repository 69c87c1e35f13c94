#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QPoint>
#include <QSize>

#include "widget_host/layer_shell/layer_shell_backend.hpp"
#include "widget_host/layer_shell/popup_menu.hpp"
#include "widget_host/layer_shell/shm_buffer.hpp"
#include "widget_host/widget_surface.hpp"

struct zwlr_layer_surface_v1;

namespace vantric {

// One placed widget as a layer surface on the bottom layer of its output, anchored at the
// output's top-left corner with margins equal to its place, painted at the output's scale.
//
// A left drag shows a second surface, the ghost, under the pointer, and leaves the pressed one
// in place but empty: the pressed surface keeps the pointer (compositors measure its motion from
// where it was pressed), so the drag is exact whether or not a compositor moves a surface
// during a press. On release the widget goes where the ghost was. Main thread.
class LayerWidget : public WidgetSurface, public PointerTarget {
    Q_OBJECT

public:
    LayerWidget(LayerShellBackend& backend, const WidgetBundle& bundle,
                const WidgetDescription& description, VitalsEntry placeholder, Placement placement);
    ~LayerWidget() override;

    // Shows the widget where its place resolves among the outputs there are now, making its
    // surface again when that is another output; hides it when there is none.
    void place();
    // Lets go of every object of the connection, which is going away.
    void unmap();
    // The outputs changed: one that closed the widget may take it again.
    void forgetClosing() { closedOn_.reset(); }

    void pointerMotion(QPointF local) override;
    void pointerButton(std::uint32_t serial, std::uint32_t button, bool pressed) override;
    void pointerLeft() override;

protected:
    void present() override;

private:
    // One layer surface of this widget: the widget itself, or the ghost of a drag.
    struct Layer {
        wl_surface* surface = nullptr;
        zwlr_layer_surface_v1* layer = nullptr;
        std::uint32_t output = 0;
        QPoint corner{};
        int scale = 1;
        bool configured = false;
    };

    Layer makeLayer(const WaylandOutput& output, QPoint corner, bool takesPointer);
    void destroyLayer(Layer& layer);
    void configured(zwlr_layer_surface_v1* layer, std::uint32_t serial);
    void closed(zwlr_layer_surface_v1* layer);
    void moveLayer(Layer& layer, QPoint corner);
    // Attaches a picture of the shown entry, or an empty one, to layer and commits it.
    void draw(Layer& layer, bool content);
    ShmBuffer* freeBuffer(QSize pixels);
    void drop(QPointF local);

    LayerShellBackend& backend_;
    const WidgetBundle& bundle_;
    Placement placement_;
    QSize size_;
    Layer shown_{};
    Layer ghost_{};
    std::vector<std::unique_ptr<ShmBuffer>> buffers_{};
    // The output the compositor closed the widget on: it is not made there again until the
    // outputs change, so that a compositor that closes it at once cannot make a loop.
    std::optional<std::uint32_t> closedOn_{};
    bool pressed_ = false;
    bool dragging_ = false;
    QPointF pressLocal_{};
    QPointF lastLocal_{};
    std::unique_ptr<PopupMenu> menu_{};
};

}  // namespace vantric
