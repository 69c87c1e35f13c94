#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace vantric {

// One fraction as a ring: a faded full-circle track and an arc from 12 o'clock clockwise. A
// fraction of 0 or less still shows a dot at 12 o'clock, so an idle gauge reads as a gauge.
// Lives on the GUI thread like every widget.
class RingGauge : public QWidget {
public:
    explicit RingGauge(QWidget* parent = nullptr);

    void setFraction(double fraction);
    void setColor(const QColor& color);
    void setLineWidth(double lineWidth);
    double fraction() const { return fraction_; }
    const QColor& color() const { return color_; }

    // Draws into the circle inscribed in rect after an inset of lineWidth / 2, so the stroke stays
    // inside rect. Shared with the widget views, which paint without widgets.
    static void paint(QPainter& painter, const QRectF& rect, double fraction, const QColor& color,
                      double lineWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction_ = 0;
    QColor color_;
    double lineWidth_ = 5;
};

}  // namespace vantric
