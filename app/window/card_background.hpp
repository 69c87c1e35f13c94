#pragma once

#include <QPalette>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace vantric {

// The surface every card sits on: a rounded rectangle of radius 14 in the palette's base colour,
// edged inside its outline by a 1 px line of primary text at 7% opacity. Adds no padding.
void paintCardBackground(QPainter& painter, const QRectF& rect, const QPalette& palette);

// A widget drawn as a card over its whole rectangle; its layout brings the padding.
class CardSurface : public QWidget {
    Q_OBJECT

public:
    explicit CardSurface(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vantric
