#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPointF>
#include <QString>

class QPainter;

namespace vantric {

// A font of the application's family at a size in fractional pixels. QFont takes whole pixel
// sizes only, while the widgets ask for 10.5 px and shrink figures by any factor; so the glyphs
// come from a large reference size and are scaled down when measured and drawn, which keeps
// measurement and drawing in step at every size.
class WidgetFont {
public:
    WidgetFont(double pixelSize, QFont::Weight weight);

    double pixelSize() const { return pixelSize_; }
    // The same face at factor times the size.
    WidgetFont scaled(double factor) const;

    double width(const QString& text) const;
    double ascent() const;
    double descent() const;
    double height() const { return ascent() + descent(); }
    // text cut with an ellipsis to at most maxWidth.
    QString elided(const QString& text, double maxWidth) const;

    // Draws text with its baseline starting at origin.
    void draw(QPainter& painter, const QPointF& origin, const QString& text,
              const QColor& color) const;

private:
    double scale() const;

    QFont reference_;
    double pixelSize_ = 0;
};

// The widget's text colours: the palette's window text, and that at 55% and 30% opacity.
namespace WidgetText {
QColor primary(const QPalette& palette);
QColor secondary(const QPalette& palette);
QColor tertiary(const QPalette& palette);
}  // namespace WidgetText

}  // namespace vantric
