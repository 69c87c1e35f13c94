#include "app/window/card_background.hpp"

#include <QPainter>
#include <QPainterPath>

#include "app/window/text_styles.hpp"

namespace vantric {
namespace {

constexpr double cornerRadius = 14;
constexpr double borderWidth = 1;
constexpr float borderOpacity = 0.07F;

}  // namespace

void paintCardBackground(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    painter.fillPath(shape, palette.color(QPalette::Base));
    // A stroke runs centred on its path: inset by half the width so the whole line lies inside
    // the filled shape and two cards side by side never overlap their edges.
    const double inset = borderWidth / 2;
    QPainterPath border;
    border.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                          cornerRadius - inset);
    QColor borderColor = TextStyle::primaryText(palette);
    borderColor.setAlphaF(borderColor.alphaF() * borderOpacity);
    painter.strokePath(border, QPen(borderColor, borderWidth));
    painter.restore();
}

CardSurface::CardSurface(QWidget* parent) : QWidget(parent) {}

void CardSurface::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paintCardBackground(painter, QRectF(rect()), palette());
}

}  // namespace vantric
