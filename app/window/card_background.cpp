#include "app/window/card_background.hpp"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>

#include "app/window/text_styles.hpp"

namespace vantric {
namespace {

constexpr double cornerRadius = 14;
constexpr double borderWidth = 1;
constexpr float borderOpacity = 0.07F;
// How far in from the edges the card is plain base colour: the border's 1 px and the corners'
// arcs lie inside this, with a pixel to spare for the antialiasing.
constexpr int plainEdgeInset = 2;
constexpr int plainCornerInset = static_cast<int>(cornerRadius) + 1;

// The part of a card of the given rectangle that is base colour and nothing else.
QRegion plainInterior(const QRect& rect) {
    return QRegion(
               rect.adjusted(plainEdgeInset, plainCornerInset, -plainEdgeInset, -plainCornerInset))
        .united(
            rect.adjusted(plainCornerInset, plainEdgeInset, -plainCornerInset, -plainEdgeInset));
}

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

void CardSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Most repaints are a figure or a gauge changing inside the card's padding. There the card is
    // plain base colour: filling those rectangles gives the same pixels as drawing the whole
    // outline through the clip, without rasterising its curves and border every time.
    if (event->region().subtracted(plainInterior(rect())).isEmpty()) {
        for (const QRect& part : event->region()) {
            painter.fillRect(part, palette().color(QPalette::Base));
        }
        return;
    }
    paintCardBackground(painter, QRectF(rect()), palette());
}

}  // namespace vantric
