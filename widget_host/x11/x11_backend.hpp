#pragma once

#include "widget_host/backend_choice.hpp"
#include "widget_host/display_backend.hpp"

namespace vantric {

// Widgets as X11 windows, through Qt's xcb platform on an X server or XWayland (or through any
// platform Qt runs on, such as offscreen in tests). Places are desktop coordinates, as X11 lays
// out its monitors side by side in one root window. Main thread.
class X11Backend : public DisplayBackend {
public:
    explicit X11Backend(const WidgetBundle& bundle);

    std::unique_ptr<WidgetSurface> show(const WidgetDescription& description,
                                        VitalsEntry placeholder,
                                        const Placement& placement) override;
    void open(const QString& url) override;

private:
    const WidgetBundle& bundle_;
};

// Whether the X server DISPLAY names takes a connection, asked without Qt, whose xcb platform
// ends the process when it cannot connect.
DisplayProbe probeX11Display();

}  // namespace vantric
