#include "widget_host/x11/x11_backend.hpp"

#include <xcb/xcb.h>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include "widget_host/output_places.hpp"
#include "widget_host/x11/desktop_hints.hpp"
#include "widget_host/x11/widget_window.hpp"

namespace vantric {
namespace {

// A widget shown as a WidgetWindow.
class X11Widget : public WidgetSurface {
public:
    X11Widget(const WidgetBundle& bundle, const WidgetDescription& description,
              VitalsEntry placeholder, QPoint corner)
        : WidgetSurface(description, std::move(placeholder)),
          window_(bundle, description, &shownEntry()) {
        const VitalsWidgetKind kind = description.kind;
        connect(&window_, &WidgetWindow::moved, this, [this, kind](QPoint position) {
            emit moved(Placement{.kind = kind, .position = position});
        });
        connect(&window_, &WidgetWindow::clicked, this, &WidgetSurface::clicked);
        connect(&window_, &WidgetWindow::removeRequested, this, &WidgetSurface::removeRequested);
        window_.move(corner);
        askForDesktopWidgetState(window_);
        window_.show();
    }

protected:
    void present() override { window_.update(); }

private:
    WidgetWindow window_;
};

std::vector<OutputArea> screenAreas() {
    std::vector<OutputArea> areas;
    for (const QScreen* const screen : QGuiApplication::screens()) {
        areas.push_back({.name = screen->name(), .area = screen->geometry()});
    }
    return areas;
}

}  // namespace

X11Backend::X11Backend(const WidgetBundle& bundle) : bundle_(bundle) {}

std::unique_ptr<WidgetSurface> X11Backend::show(const WidgetDescription& description,
                                                VitalsEntry placeholder,
                                                const Placement& placement) {
    const std::vector<OutputArea> areas = screenAreas();
    const auto place = resolvePlace(placement, areas, description.size);
    const QPoint corner =
        place ? areas[place->output].area.topLeft() + place->corner : placement.position;
    return std::make_unique<X11Widget>(bundle_, description, std::move(placeholder), corner);
}

void X11Backend::open(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}

DisplayProbe probeX11Display() {
    const QString name = qEnvironmentVariable("DISPLAY");
    if (name.isEmpty()) {
        return {.usable = false, .name = {}, .problem = QStringLiteral("DISPLAY is not set")};
    }
    xcb_connection_t* const connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return {
        .usable = reached,
        .name = name,
        .problem = reached ? QString() : QStringLiteral("cannot reach the X server %1").arg(name)};
}

}  // namespace vantric
