#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vantric {

// The symbols the pages name by identifier: "gauge.with.dots.needle.33percent", "cpu",
// "memorychip", "square.3.layers.3d" and "widget.small". Any other identifier gives a null icon
// and a null pixmap.

// The desktop theme's icon where the freedesktop naming has one of the same meaning, else the
// bundled symbol drawn in the application palette's text colour.
QIcon symbolIcon(const QString& systemImage);

// The bundled symbol alone, in one colour, pixelSize device-independent pixels square at the
// device pixel ratio dpr. Never the theme's: theme icons are in colour and would not take a tint.
QPixmap symbolPixmap(const QString& systemImage, int pixelSize, const QColor& tint, qreal dpr);

}  // namespace vantric
