#pragma once

#include <QString>

#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// The plug-in's installed path: where the install put it beside the running host
// (bin/../lib/vantric). Needs the application object.
QString installedBundlePath();

struct LoadedBundle {
    WidgetBundle* bundle = nullptr;  // null when loading failed; never unloaded once loaded
    QString error{};                 // why it failed, for the user
};

// Loads the widget plug-in from exactly path: never from Qt's plug-in folders, so that the host
// runs no code but the plug-in it was pointed at.
LoadedBundle loadBundle(const QString& path);

}  // namespace vantric
