#include "app/window/card_background.hpp"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "app/window/text_styles.hpp"
#include "widgets/views/rounded_panel.hpp"

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
    QColor edge = TextStyle::primaryText(palette);
    edge.setAlphaF(edge.alphaF() * borderOpacity);
    paintRoundedPanel(painter, rect,
                      {.cornerRadius = cornerRadius,
                       .fill = palette.color(QPalette::Base),
                       .edge = edge,
                       .edgeWidth = borderWidth});
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
