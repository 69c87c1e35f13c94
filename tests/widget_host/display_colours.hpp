#pragma once

#include <QColor>

// The colours of the compositor sessions the display tests run, so that a picture of the screen
// tells the desktop, a window and a widget apart.
namespace vantric::display_colours {

inline const QColor desktop{0x20, 0x40, 0x60};
inline const QColor window{255, 0, 0};

}  // namespace vantric::display_colours
