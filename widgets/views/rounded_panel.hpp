#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace vantric {

// The look of the window's cards and of the desktop widgets: a rounded rectangle filled with one
// colour and edged by a line that lies wholly inside it, so two panels side by side never
// overlap their edges.
struct RoundedPanel {
    double cornerRadius = 0;
    QColor fill{};
    QColor edge{};
    double edgeWidth = 1;
};

void paintRoundedPanel(QPainter& painter, const QRectF& rect, const RoundedPanel& panel);

}  // namespace vantric
