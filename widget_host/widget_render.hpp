#pragma once

#include <QImage>
#include <QString>

#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// Rendering scale of the --render picture, so that it is as sharp as the widget on a high
// density screen.
inline constexpr double renderPixelRatio = 2;
inline constexpr int renderTimeoutMs = 10'000;

// Asks the bundle for one real timeline of description's kind, waiting for it at most
// renderTimeoutMs in a local event loop, and draws its first entry on a transparent background
// at renderPixelRatio. A null image when no timeline (or one without entries) came. GUI thread.
QImage renderWidget(WidgetBundle& bundle, const WidgetDescription& description);

}  // namespace vantric
