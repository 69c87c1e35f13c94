#include "app/window/text_styles.hpp"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>

namespace vantric {
namespace {

constexpr float secondaryOpacity = 0.55F;

QFont styled(int pixelSize, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

}  // namespace

namespace TextStyle {

QFont headline() {
    return styled(13, QFont::DemiBold);
}
QFont callout() {
    return styled(12, QFont::Normal);
}
QFont subheadline() {
    return styled(11, QFont::Normal);
}
QFont caption() {
    return styled(10, QFont::Normal);
}
QFont captionMedium() {
    return styled(10, QFont::Medium);
}
QFont caption2() {
    return styled(9, QFont::Normal);
}
QFont body() {
    return styled(13, QFont::Normal);
}

QFont figure(int pixelSize, QFont::Weight weight) {
    return styled(pixelSize, weight);
}

QColor primaryText(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}

QColor secondaryText(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(color.alphaF() * secondaryOpacity);
    return color;
}

int baselineShift(const QFont& reference, const QFont& font) {
    return QFontMetrics(reference).ascent() - QFontMetrics(font).ascent();
}

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget.setPalette(palette);
}

}  // namespace TextStyle
}  // namespace vantric
