#pragma once

#include <cstdlib>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>

namespace vantric::testing {

inline bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

template <typename Accept>
int countPixels(const QImage& image, Accept accept) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += accept(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// Opaque pixels within tolerance of color in every channel.
inline int pixelsNear(const QImage& image, const QColor& color, int tolerance) {
    return countPixels(image, [&](const QColor& pixel) {
        return pixel.alpha() == 255 && near(pixel, color, tolerance);
    });
}

// Shows the widget at width, as tall as height or else as it asks to be, and lays it out.
inline void showAt(QWidget& widget, int width, int height = 0) {
    widget.resize(width, height > 0 ? height : widget.sizeHint().height());
    widget.show();
    QApplication::processEvents();
}

// The widget's picture at its current size. With VANTRIC_RENDER_DIR set it is also written there
// as name.png, so that what a test rendered can be looked at.
inline QImage rendered(QWidget& widget, const QString& name) {
    QImage image = widget.grab().toImage();
    const QString folder = qEnvironmentVariable("VANTRIC_RENDER_DIR");
    if (!folder.isEmpty()) {
        image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
    return image;
}

}  // namespace vantric::testing
