#include "widgets/views/rounded_panel.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace vantric {

void paintRoundedPanel(QPainter& painter, const QRectF& rect, const RoundedPanel& panel) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, panel.cornerRadius, panel.cornerRadius);
    painter.fillPath(shape, panel.fill);
    // A stroke runs centred on its path: inset by half its width, the whole line lies inside.
    const double inset = panel.edgeWidth / 2;
    QPainterPath edge;
    edge.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), panel.cornerRadius - inset,
                        panel.cornerRadius - inset);
    painter.strokePath(edge, QPen(panel.edge, panel.edgeWidth));
    painter.restore();
}

}  // namespace vantric
