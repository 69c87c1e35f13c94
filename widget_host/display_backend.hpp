#pragma once

#include <memory>

#include <QString>

#include "widget_host/placements.hpp"
#include "widget_host/widget_surface.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// Where the host's widgets are shown: X11 windows kept below the others, or surfaces on a
// Wayland compositor's desktop layer. Main thread.
class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;

    // A shown widget at placement's place, or as near to it as the outputs allow.
    virtual std::unique_ptr<WidgetSurface> show(const WidgetDescription& description,
                                                VitalsEntry placeholder,
                                                const Placement& placement) = 0;
    // Opens a widget's link in the user's browser or the application.
    virtual void open(const QString& url) = 0;
};

}  // namespace vantric
