#include "widgets/views/widget_fonts.hpp"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace vantric {
namespace {

// Large enough that hinting and rounding of the reference metrics are negligible once scaled.
constexpr int referencePixelSize = 100;

QColor withOpacity(const QPalette& palette, float opacity) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

}  // namespace

WidgetFont::WidgetFont(double pixelSize, QFont::Weight weight)
    : reference_(QApplication::font()), pixelSize_(pixelSize) {
    reference_.setPixelSize(referencePixelSize);
    reference_.setWeight(weight);
    reference_.setHintingPreference(QFont::PreferNoHinting);
}

WidgetFont WidgetFont::scaled(double factor) const {
    WidgetFont font = *this;
    font.pixelSize_ = pixelSize_ * factor;
    return font;
}

double WidgetFont::scale() const {
    return pixelSize_ / referencePixelSize;
}

double WidgetFont::width(const QString& text) const {
    return QFontMetricsF(reference_).horizontalAdvance(text) * scale();
}

double WidgetFont::ascent() const {
    return QFontMetricsF(reference_).ascent() * scale();
}

double WidgetFont::descent() const {
    return QFontMetricsF(reference_).descent() * scale();
}

QString WidgetFont::elided(const QString& text, double maxWidth) const {
    // A text shrunk to fit exactly may measure a rounding error wider than the width it was
    // shrunk to; it fits all the same.
    if (width(text) <= maxWidth + 1e-6) {
        return text;
    }
    if (scale() <= 0) {
        return {};
    }
    return QFontMetricsF(reference_).elidedText(text, Qt::ElideRight, maxWidth / scale());
}

void WidgetFont::draw(QPainter& painter, const QPointF& origin, const QString& text,
                      const QColor& color) const {
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(origin);
    painter.scale(scale(), scale());
    painter.setFont(reference_);
    painter.setPen(color);
    painter.drawText(QPointF(0, 0), text);
    painter.restore();
}

namespace WidgetText {

QColor primary(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette& palette) {
    return withOpacity(palette, 0.55F);
}

QColor tertiary(const QPalette& palette) {
    return withOpacity(palette, 0.30F);
}

}  // namespace WidgetText
}  // namespace vantric
