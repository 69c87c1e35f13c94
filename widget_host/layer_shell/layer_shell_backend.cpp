#include "widget_host/layer_shell/layer_shell_backend.hpp"

#include <algorithm>
#include <cstdio>

#include <wayland-client.h>
#include <wayland-cursor.h>
#include <QProcess>

#include "widget_host/layer_shell/layer_widget.hpp"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace vantric {
namespace {

// A compositor that has not answered in this time is taken as hung, not waited for.
constexpr int answerTimeoutMs = 3000;
constexpr int firstRetryMs = 1000;
constexpr int longestRetryMs = 30000;
// A connection that lived this long was not ended by something the host does at once, so the
// next loss retries quickly again.
constexpr std::chrono::seconds settled{60};

void say(const QString& line) {
    static_cast<void>(
        std::fprintf(stderr, "vantric-widget-host: %s\n", line.toLocal8Bit().constData()));
}

template <typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
            std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

}  // namespace

LayerShellBackend::LayerShellBackend(const WidgetBundle& bundle,
                                     std::unique_ptr<WaylandConnection> connection)
    : bundle_(bundle), connection_(std::move(connection)) {
    relayout_.setSingleShot(true);
    relayout_.setInterval(0);
    connect(&relayout_, &QTimer::timeout, this, &LayerShellBackend::relayout);
    reconnect_.setSingleShot(true);
    connect(&reconnect_, &QTimer::timeout, this, &LayerShellBackend::reconnect);
    reconnectDelayMs_ = firstRetryMs;
    if (!bindGlobals()) {
        lose(QStringLiteral("it did not describe its outputs in time"));
        return;
    }
    connectedAt_ = std::chrono::steady_clock::now();
    connection_->watch();
    connect(connection_.get(), &WaylandConnection::lost, this, &LayerShellBackend::lose);
}

LayerShellBackend::~LayerShellBackend() {
    tearDown();
}

std::unique_ptr<WidgetSurface> LayerShellBackend::show(const WidgetDescription& description,
                                                       VitalsEntry placeholder,
                                                       const Placement& placement) {
    auto widget = std::make_unique<LayerWidget>(*this, bundle_, description, std::move(placeholder),
                                                placement);
    widgets_.push_back(widget.get());
    widget->place();
    return widget;
}

void LayerShellBackend::open(const QString& url) {
    // Qt's own opener needs a Qt platform with desktop services, which this host does not load.
    static_cast<void>(QProcess::startDetached(QStringLiteral("xdg-open"), {url}));
}

std::vector<const WaylandOutput*> LayerShellBackend::readyOutputs() const {
    std::vector<const WaylandOutput*> ready;
    for (const auto& output : outputs_) {
        if (output->ready && !output->area.isEmpty()) {
            ready.push_back(output.get());
        }
    }
    return ready;
}

const WaylandOutput* LayerShellBackend::output(std::uint32_t global) const {
    const auto found = std::find_if(outputs_.begin(), outputs_.end(),
                                    [global](const auto& o) { return o->global == global; });
    return found == outputs_.end() ? nullptr : found->get();
}

void LayerShellBackend::forget(LayerWidget* widget) {
    std::erase(widgets_, widget);
}

void LayerShellBackend::forgetTarget(const PointerTarget* target) {
    if (pointerFocus_ == target) {
        pointerFocus_ = nullptr;
    }
}

void LayerShellBackend::relayoutSoon() {
    if (!relayout_.isActive()) {
        relayout_.start();
    }
}

bool LayerShellBackend::bindGlobals() {
    globals_.registry = wl_display_get_registry(connection_->display());
    static const wl_registry_listener listener{
        .global =
            [](void* data, wl_registry* /*registry*/, std::uint32_t name, const char* interface,
               std::uint32_t version) {
                static_cast<LayerShellBackend*>(data)->addGlobal(name, interface, version);
            },
        .global_remove =
            [](void* data, wl_registry* /*registry*/, std::uint32_t name) {
                static_cast<LayerShellBackend*>(data)->removeGlobal(name);
            },
    };
    wl_registry_add_listener(globals_.registry, &listener, this);
    // The globals, then what the bound outputs say about themselves.
    return connection_->roundtrip(answerTimeoutMs) && connection_->roundtrip(answerTimeoutMs) &&
           globals_.layerShell != nullptr && globals_.compositor != nullptr &&
           globals_.shm != nullptr;
}

void LayerShellBackend::addGlobal(std::uint32_t name, const char* interface,
                                  std::uint32_t version) {
    wl_registry* const registry = globals_.registry;
    const std::string_view named(interface);
    if (named == wl_compositor_interface.name) {
        globals_.compositorVersion = std::min(version, 4U);
        globals_.compositor =
            bind<wl_compositor>(registry, name, &wl_compositor_interface, version, 4);
    } else if (named == wl_shm_interface.name) {
        globals_.shm = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
    } else if (named == zwlr_layer_shell_v1_interface.name) {
        globals_.layerShell =
            bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 3);
    } else if (named == xdg_wm_base_interface.name) {
        globals_.wmBase = bind<xdg_wm_base>(registry, name, &xdg_wm_base_interface, version, 2);
        static const xdg_wm_base_listener pong{
            .ping = [](void* /*data*/, xdg_wm_base* base, std::uint32_t serial) {
                xdg_wm_base_pong(base, serial);
            }};
        xdg_wm_base_add_listener(globals_.wmBase, &pong, this);
    } else if (named == zxdg_output_manager_v1_interface.name) {
        globals_.outputManager = bind<zxdg_output_manager_v1>(
            registry, name, &zxdg_output_manager_v1_interface, version, 3);
        for (const auto& output : outputs_) {
            describeOutput(*output);
        }
    } else if (named == wl_seat_interface.name && globals_.seat == nullptr) {
        globals_.seatName = name;
        globals_.seat = bind<wl_seat>(registry, name, &wl_seat_interface, version, 5);
        static const wl_seat_listener seatListener{
            .capabilities =
                [](void* data, wl_seat* /*seat*/, std::uint32_t capabilities) {
                    static_cast<LayerShellBackend*>(data)->seatCapabilities(capabilities);
                },
            .name = [](void*, wl_seat*, const char*) {},
        };
        wl_seat_add_listener(globals_.seat, &seatListener, this);
    } else if (named == wl_output_interface.name) {
        auto made = std::make_unique<WaylandOutput>();
        made->global = name;
        made->backend = this;
        made->output = bind<wl_output>(registry, name, &wl_output_interface, version, 4);
        static const wl_output_listener outputListener{
            .geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                           std::int32_t, std::int32_t, const char*, const char*, std::int32_t) {},
            .mode =
                [](void* data, wl_output* /*output*/, std::uint32_t flags, std::int32_t width,
                   std::int32_t height, std::int32_t /*refresh*/) {
                    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
                        static_cast<WaylandOutput*>(data)->modePixels = QSize(width, height);
                    }
                },
            .done =
                [](void* data, wl_output* /*output*/) {
                    auto* const described = static_cast<WaylandOutput*>(data);
                    described->ready = true;
                    described->backend->outputDescribed(*described);
                },
            .scale =
                [](void* data, wl_output* /*output*/, std::int32_t factor) {
                    static_cast<WaylandOutput*>(data)->scale = std::clamp(factor, 1, 8);
                },
            .name =
                [](void* data, wl_output* /*output*/, const char* outputName) {
                    static_cast<WaylandOutput*>(data)->name = QString::fromUtf8(outputName);
                },
            .description = [](void*, wl_output*, const char*) {},
        };
        wl_output_add_listener(made->output, &outputListener, made.get());
        outputs_.push_back(std::move(made));
        describeOutput(*outputs_.back());
        outputsChanged_ = true;
        relayoutSoon();
    }
}

void LayerShellBackend::describeOutput(WaylandOutput& output) {
    if (globals_.outputManager == nullptr || output.xdgOutput != nullptr) {
        return;
    }
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(globals_.outputManager, output.output);
    static const zxdg_output_v1_listener listener{
        .logical_position =
            [](void* data, zxdg_output_v1* /*xdg*/, std::int32_t x, std::int32_t y) {
                static_cast<WaylandOutput*>(data)->logical.moveTo(x, y);
            },
        .logical_size =
            [](void* data, zxdg_output_v1* /*xdg*/, std::int32_t width, std::int32_t height) {
                static_cast<WaylandOutput*>(data)->logical.setSize(QSize(width, height));
            },
        .done =
            [](void* data, zxdg_output_v1* /*xdg*/) {
                auto* const described = static_cast<WaylandOutput*>(data);
                described->backend->outputDescribed(*described);
            },
        .name =
            [](void* data, zxdg_output_v1* /*xdg*/, const char* name) {
                auto* const described = static_cast<WaylandOutput*>(data);
                // wl_output's own name, where it has one, is the same; it is kept.
                if (described->name.isEmpty()) {
                    described->name = QString::fromUtf8(name);
                }
            },
        .description = [](void*, zxdg_output_v1*, const char*) {},
    };
    zxdg_output_v1_add_listener(output.xdgOutput, &listener, &output);
}

void LayerShellBackend::outputDescribed(WaylandOutput& output) {
    // Without xdg-output the layout is unknown: each output is taken as at the origin, which
    // keeps a widget on its own output right.
    output.area = output.logical.isValid()
                      ? output.logical
                      : QRect(QPoint(), output.modePixels / std::max(output.scale, 1));
    outputsChanged_ = true;
    relayoutSoon();
}

void LayerShellBackend::removeGlobal(std::uint32_t name) {
    const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                   [name](const auto& o) { return o->global == name; });
    if (gone != outputs_.end()) {
        if ((*gone)->xdgOutput != nullptr) {
            zxdg_output_v1_destroy((*gone)->xdgOutput);
        }
        wl_output_destroy((*gone)->output);
        outputs_.erase(gone);
        // Its widgets go to the outputs that remain; what is saved stays as it was, so that
        // they come back when the output does.
        outputsChanged_ = true;
        relayoutSoon();
    } else if (name == globals_.seatName && globals_.seat != nullptr) {
        seatCapabilities(0);
        wl_seat_destroy(globals_.seat);
        globals_.seat = nullptr;
    }
}

void LayerShellBackend::seatCapabilities(std::uint32_t capabilities) {
    const bool pointing = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    // Asking for a pointer the seat has not got is a protocol error.
    if (pointing && globals_.pointer == nullptr) {
        globals_.pointer = wl_seat_get_pointer(globals_.seat);
        // Set by name: the listener grows with libwayland's versions, and events past the
        // version bound here never come, so the others stay null.
        static const wl_pointer_listener listener = [] {
            wl_pointer_listener events{};
            events.enter = [](void* data, wl_pointer* /*pointer*/, std::uint32_t serial,
                              wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
                static_cast<LayerShellBackend*>(data)->pointerEntered(
                    surface, serial, QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)));
            };
            events.leave = [](void* data, wl_pointer* /*pointer*/, std::uint32_t /*serial*/,
                              wl_surface* /*surface*/) {
                auto* const self = static_cast<LayerShellBackend*>(data);
                if (PointerTarget* const target = std::exchange(self->pointerFocus_, nullptr)) {
                    target->pointerLeft();
                }
            };
            events.motion = [](void* data, wl_pointer* /*pointer*/, std::uint32_t /*time*/,
                               wl_fixed_t x, wl_fixed_t y) {
                if (PointerTarget* const target =
                        static_cast<LayerShellBackend*>(data)->pointerFocus_) {
                    target->pointerMotion(QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y)));
                }
            };
            events.button = [](void* data, wl_pointer* /*pointer*/, std::uint32_t serial,
                               std::uint32_t /*time*/, std::uint32_t button, std::uint32_t state) {
                if (PointerTarget* const target =
                        static_cast<LayerShellBackend*>(data)->pointerFocus_) {
                    target->pointerButton(serial, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
                }
            };
            events.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
            events.frame = [](void*, wl_pointer*) {};
            events.axis_source = [](void*, wl_pointer*, std::uint32_t) {};
            events.axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {};
            events.axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {};
            return events;
        }();
        wl_pointer_add_listener(globals_.pointer, &listener, this);
    } else if (!pointing && globals_.pointer != nullptr) {
        if (wl_pointer_get_version(globals_.pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
            wl_pointer_release(globals_.pointer);
        } else {
            wl_pointer_destroy(globals_.pointer);
        }
        globals_.pointer = nullptr;
        pointerFocus_ = nullptr;
    }
}

void LayerShellBackend::pointerEntered(wl_surface* surface, std::uint32_t serial, QPointF local) {
    // A surface destroyed while the event was on its way arrives as null.
    pointerFocus_ = surface != nullptr
                        ? static_cast<PointerTarget*>(wl_surface_get_user_data(surface))
                        : nullptr;
    setCursor(serial);
    if (pointerFocus_ != nullptr) {
        pointerFocus_->pointerMotion(local);
    }
}

void LayerShellBackend::setCursor(std::uint32_t serial) {
    if (cursorTheme_ == nullptr) {
        bool sized = false;
        const int size = qEnvironmentVariableIntValue("XCURSOR_SIZE", &sized);
        const QByteArray theme = qgetenv("XCURSOR_THEME");
        // Loaded once, on the first visit; a missing theme falls back to libwayland's own.
        cursorTheme_ = wl_cursor_theme_load(theme.isEmpty() ? nullptr : theme.constData(),
                                            sized ? std::clamp(size, 8, 256) : 24, globals_.shm);
    }
    wl_cursor* cursor =
        cursorTheme_ != nullptr ? wl_cursor_theme_get_cursor(cursorTheme_, "left_ptr") : nullptr;
    if (cursor == nullptr || cursor->image_count == 0) {
        return;
    }
    if (cursorSurface_ == nullptr) {
        cursorSurface_ = wl_compositor_create_surface(globals_.compositor);
    }
    wl_cursor_image* const image = cursor->images[0];
    wl_surface_attach(cursorSurface_, wl_cursor_image_get_buffer(image), 0, 0);
    wl_surface_damage(cursorSurface_, 0, 0, static_cast<std::int32_t>(image->width),
                      static_cast<std::int32_t>(image->height));
    wl_surface_commit(cursorSurface_);
    wl_pointer_set_cursor(globals_.pointer, serial, cursorSurface_,
                          static_cast<std::int32_t>(image->hotspot_x),
                          static_cast<std::int32_t>(image->hotspot_y));
}

void LayerShellBackend::relayout() {
    if (!connected()) {
        return;
    }
    for (LayerWidget* const widget : widgets_) {
        if (outputsChanged_) {
            widget->forgetClosing();
        }
        widget->place();
    }
    outputsChanged_ = false;
}

void LayerShellBackend::lose(const QString& reason) {
    say(QStringLiteral("lost the Wayland compositor (%1); showing the widgets again when it "
                       "comes back")
            .arg(reason));
    if (std::chrono::steady_clock::now() - connectedAt_ >= settled) {
        reconnectDelayMs_ = firstRetryMs;
    }
    tearDown();
    reconnect_.start(reconnectDelayMs_);
}

void LayerShellBackend::reconnect() {
    QString problem;
    connection_ = WaylandConnection::open(problem);
    if (connection_ != nullptr && bindGlobals()) {
        connectedAt_ = std::chrono::steady_clock::now();
        connection_->watch();
        connect(connection_.get(), &WaylandConnection::lost, this, &LayerShellBackend::lose);
        say(QStringLiteral("showing widgets as layer surfaces on %1 again")
                .arg(connection_->name()));
        outputsChanged_ = true;
        relayout();
        return;
    }
    tearDown();
    // Waiting costs a wake-up now and then, fewer the longer the compositor stays away.
    reconnectDelayMs_ = std::min(reconnectDelayMs_ * 2, longestRetryMs);
    reconnect_.start(reconnectDelayMs_);
}

void LayerShellBackend::tearDown() {
    for (LayerWidget* const widget : widgets_) {
        widget->unmap();
    }
    pointerFocus_ = nullptr;
    if (cursorSurface_ != nullptr) {
        wl_surface_destroy(std::exchange(cursorSurface_, nullptr));
    }
    if (cursorTheme_ != nullptr) {
        wl_cursor_theme_destroy(std::exchange(cursorTheme_, nullptr));
    }
    for (const auto& output : outputs_) {
        if (output->xdgOutput != nullptr) {
            zxdg_output_v1_destroy(output->xdgOutput);
        }
        wl_output_destroy(output->output);
    }
    outputs_.clear();
    if (globals_.pointer != nullptr) {
        wl_pointer_destroy(globals_.pointer);
    }
    const auto destroy = [](auto* proxy) {
        if (proxy != nullptr) {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(proxy));
        }
    };
    destroy(globals_.seat);
    destroy(globals_.outputManager);
    destroy(globals_.wmBase);
    destroy(globals_.layerShell);
    destroy(globals_.shm);
    destroy(globals_.compositor);
    destroy(globals_.registry);
    globals_ = WaylandGlobals{};
    connection_.reset();
}

DisplayProbe probeLayerShell(std::unique_ptr<WaylandConnection>& kept) {
    QString problem;
    auto connection = WaylandConnection::open(problem);
    if (connection == nullptr) {
        return {.usable = false, .name = {}, .problem = problem};
    }
    struct Offered {
        bool layerShell = false;
        bool compositor = false;
        bool shm = false;
    } offered;
    wl_registry* const registry = wl_display_get_registry(connection->display());
    static const wl_registry_listener listener{
        .global =
            [](void* data, wl_registry* /*registry*/, std::uint32_t /*name*/, const char* interface,
               std::uint32_t version) {
                auto* const seen = static_cast<Offered*>(data);
                const std::string_view named(interface);
                seen->layerShell |= named == zwlr_layer_shell_v1_interface.name;
                // Buffer scale, which sharp widgets at scale 2 need, came with version 3.
                seen->compositor |= named == wl_compositor_interface.name && version >= 3;
                seen->shm |= named == wl_shm_interface.name;
            },
        .global_remove = [](void*, wl_registry*, std::uint32_t) {},
    };
    wl_registry_add_listener(registry, &listener, &offered);
    const bool answered = connection->roundtrip(answerTimeoutMs);
    wl_registry_destroy(registry);
    const QString name = connection->name();
    if (!answered) {
        return {.usable = false,
                .name = name,
                .problem = QStringLiteral("the compositor on %1 did not answer").arg(name)};
    }
    if (!offered.layerShell || !offered.compositor || !offered.shm) {
        return {.usable = false,
                .name = name,
                .problem = QStringLiteral("the compositor on %1 offers no layer shell").arg(name)};
    }
    kept = std::move(connection);
    return {.usable = true, .name = name, .problem = {}};
}

}  // namespace vantric
