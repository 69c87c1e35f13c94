#include "widgets/views/ring_gauge.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace vantric {

namespace {

// The track's share of the colour's own opacity.
constexpr double trackOpacity = 0.18;
// The smallest arc drawn, so that an idle gauge still shows a round dot at 12 o'clock.
constexpr double minimumArc = 0.001;

QColor withOpacity(const QColor& color, double opacity) {
    QColor faded = color;
    faded.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return faded;
}

}  // namespace

RingGauge::RingGauge(QWidget* parent) : QWidget(parent) {}

// The setters are called at every reading with mostly the same values; only a change repaints.
void RingGauge::setFraction(double fraction) {
    if (fraction != fraction_) {
        fraction_ = fraction;
        update();
    }
}

void RingGauge::setColor(const QColor& color) {
    if (color != color_) {
        color_ = color;
        update();
    }
}

void RingGauge::setLineWidth(double lineWidth) {
    if (lineWidth != lineWidth_) {
        lineWidth_ = lineWidth;
        update();
    }
}

void RingGauge::paint(QPainter& painter, const QRectF& rect, double fraction, const QColor& color,
                      double lineWidth) {
    const double inset = lineWidth / 2;
    const QRectF space = rect.adjusted(inset, inset, -inset, -inset);
    const double diameter = std::min(space.width(), space.height());
    if (!(diameter > 0)) {
        return;
    }
    QRectF circle(0, 0, diameter, diameter);
    circle.moveCenter(space.center());

    // NaN fails both comparisons of clamp and would draw nothing; it shows as an idle gauge.
    const double extent = std::isnan(fraction) ? minimumArc : std::clamp(fraction, minimumArc, 1.0);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(QPen(withOpacity(color, trackOpacity), lineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawEllipse(circle);

    // Qt counts angles in degrees counter-clockwise from 3 o'clock: 90 is 12 o'clock and a
    // negative sweep runs clockwise.
    QPainterPath arc;
    arc.arcMoveTo(circle, 90);
    arc.arcTo(circle, 90, -360 * extent);
    painter.setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(arc);

    painter.restore();
}

void RingGauge::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    paint(painter, rect(), fraction_, color_, lineWidth_);
}

}  // namespace vantric
