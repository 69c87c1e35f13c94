#pragma once

#include <vector>

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QWidget>

#include "widgets/views/spark_point.hpp"

class QPainter;

namespace vantric {

// The outline of a sparkline in a rectangle: the open line through the points, or (closed) the
// area between that line and the bottom edge. Fewer than two points give an empty path.
struct SparklineShape {
    std::vector<SparkPoint> points{};
    bool closed = false;

    QPainterPath path(const QRectF& rect) const;
};

// A short history as a line over an area that fades downwards.
class Sparkline : public QWidget {
public:
    explicit Sparkline(QWidget* parent = nullptr);

    void setPoints(std::vector<SparkPoint> points);
    void setColor(const QColor& color);
    void setLineWidth(double lineWidth);
    const std::vector<SparkPoint>& points() const { return points_; }

    // Shared with the widget views, which paint without widgets.
    static void paint(QPainter& painter, const QRectF& rect, const std::vector<SparkPoint>& points,
                      const QColor& color, double lineWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SparkPoint> points_;
    QColor color_;
    double lineWidth_ = 1.5;
};

}  // namespace vantric
