#include "widgets/views/sparkline.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <utility>

namespace vantric {

namespace {

// The area's opacity at the top edge, as a share of the colour's own; it fades to 0 at the bottom.
constexpr double areaOpacity = 0.35;

QColor withOpacity(const QColor& color, double opacity) {
    QColor faded = color;
    faded.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return faded;
}

}  // namespace

QPainterPath SparklineShape::path(const QRectF& rect) const {
    if (points.size() < 2) {
        return {};
    }
    // A 1-point margin at top and bottom keeps a stroked line inside rect. Only y is limited:
    // x outside 0 to 1 is a point deliberately placed beyond an edge.
    const auto position = [&rect](const SparkPoint& point) {
        const double y = !(point.y > 0) ? 0.0 : point.y > 1 ? 1.0 : point.y;
        return QPointF(rect.left() + point.x * rect.width(),
                       (rect.bottom() - 1) - y * (rect.height() - 2));
    };
    QPainterPath path(position(points.front()));
    for (std::size_t i = 1; i < points.size(); ++i) {
        path.lineTo(position(points[i]));
    }
    if (closed) {
        path.lineTo(rect.left() + points.back().x * rect.width(), rect.bottom());
        path.lineTo(rect.left() + points.front().x * rect.width(), rect.bottom());
        path.closeSubpath();
    }
    return path;
}

Sparkline::Sparkline(QWidget* parent) : QWidget(parent) {}

// The setters are called at every reading; a history that has stopped moving (a full one of an
// idle graphics card) and an unchanged colour leave the picture as it is and repaint nothing.
void Sparkline::setPoints(std::vector<SparkPoint> points) {
    if (points != points_) {
        points_ = std::move(points);
        update();
    }
}

void Sparkline::setColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void Sparkline::setLineWidth(double lineWidth) {
    if (lineWidth != lineWidth_) {
        lineWidth_ = lineWidth;
        update();
    }
}

void Sparkline::paint(QPainter& painter, const QRectF& rect, const std::vector<SparkPoint>& points,
                      const QColor& color, double lineWidth) {
    if (points.size() < 2) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    // The gradient spans the whole view, not just the area, so equal values fade alike in every
    // sparkline of the same height.
    QLinearGradient fade(rect.topLeft(), rect.bottomLeft());
    fade.setColorAt(0, withOpacity(color, areaOpacity));
    fade.setColorAt(1, withOpacity(color, 0));
    painter.fillPath(SparklineShape{.points = points, .closed = true}.path(rect), fade);

    painter.strokePath(SparklineShape{.points = points, .closed = false}.path(rect),
                       QPen(color, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    painter.restore();
}

void Sparkline::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint(painter, rect(), points_, color_, lineWidth_);
}

}  // namespace vantric
