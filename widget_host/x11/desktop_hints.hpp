#pragma once

#include <QWidget>

namespace vantric {

// Asks the X11 window manager to keep window below the others, out of the taskbar and pager,
// and on every workspace, as a desktop widget is. Call after the window has its X11 window
// (winId()) and before it is shown: the window manager reads the state when it maps the window,
// and Qt adds its own state atoms to these. Does nothing off X11.
void askForDesktopWidgetState(QWidget& window);

}  // namespace vantric
