#include "app/window/history_chart.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/window/text_styles.hpp"

namespace vantric {
namespace {

// Seconds before now, one sample a second.
constexpr std::array<int, 4> timeMarks{-90, -60, -30, 0};
constexpr std::array<int, 5> percentMarks{0, 25, 50, 75, 100};
constexpr double labelGap = 6;
constexpr double lineWidth = 1.6;
constexpr float areaTopOpacity = 0.32F;
constexpr float areaBottomOpacity = 0.02F;
constexpr float gridOpacity = 0.12F;

QString timeLabel(int mark) {
    return mark == 0 ? QStringLiteral("now") : QStringLiteral("%1s ago").arg(-mark);
}

QString percentLabel(int mark) {
    return QStringLiteral("%1%").arg(mark);
}

QColor withOpacity(QColor color, float opacity) {
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

// A 1 px line drawn through the middle of a pixel row or column covers it alone instead of
// smearing over two at half strength.
double pixelCentre(double position) {
    return std::floor(position) + 0.5;
}

double plotted(double value) {
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

}  // namespace

HistoryChart::HistoryChart(const QColor& color, int capacity, QWidget* parent)
    : QWidget(parent), color_(color), capacity_(std::max(capacity, 2)) {
    setFixedHeight(chartHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(TextStyle::caption());
}

void HistoryChart::setValues(std::vector<double> values) {
    values_ = std::move(values);
    update();
}

void HistoryChart::setColor(const QColor& color) {
    color_ = color;
    update();
}

QRectF HistoryChart::plotArea() const {
    const QFontMetricsF metrics(font());
    double labelWidth = 0;
    for (const int mark : percentMarks) {
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(percentLabel(mark)));
    }
    // The outermost labels are centred on the plot's edges: leave room for the half of them
    // that reaches beyond the plot.
    const double left = std::ceil(labelWidth + labelGap);
    const double top = std::ceil(metrics.height() / 2);
    const double right = std::ceil(metrics.horizontalAdvance(timeLabel(0)) / 2);
    const double bottom = std::ceil(labelGap / 2 + metrics.height());
    return QRectF(left, top, std::max(0.0, width() - left - right),
                  std::max(0.0, height() - top - bottom));
}

QPointF HistoryChart::plotPosition(std::size_t index, std::size_t count, double value) const {
    const double time = static_cast<double>(index) - static_cast<double>(count) + 1;
    return {xPosition(time), yPosition(plotted(value) * 100)};
}

double HistoryChart::xPosition(double time) const {
    const QRectF plot = plotArea();
    const double oldest = 1 - capacity_;
    return plot.left() + (time - oldest) / -oldest * plot.width();
}

double HistoryChart::yPosition(double percent) const {
    const QRectF plot = plotArea();
    return plot.bottom() - percent / 100 * plot.height();
}

QSize HistoryChart::sizeHint() const {
    return {480, chartHeight};
}

QSize HistoryChart::minimumSizeHint() const {
    return {static_cast<int>(plotArea().left()) + 160, chartHeight};
}

void HistoryChart::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintAxes(painter);
    paintValues(painter);
}

void HistoryChart::paintAxes(QPainter& painter) const {
    const QRectF plot = plotArea();
    const QFontMetricsF metrics(font());
    const QColor grid = withOpacity(TextStyle::primaryText(palette()), gridOpacity);
    const QColor label = TextStyle::secondaryText(palette());
    painter.setFont(font());

    for (const int mark : percentMarks) {
        const double y = yPosition(mark);
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(plot.left(), pixelCentre(y)),
                         QPointF(plot.right(), pixelCentre(y)));
        const QRectF box(0, y - metrics.height() / 2, plot.left() - labelGap, metrics.height());
        painter.setPen(label);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, percentLabel(mark));
    }
    for (const int mark : timeMarks) {
        const double x = xPosition(mark);
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(pixelCentre(x), plot.top()),
                         QPointF(pixelCentre(x), plot.bottom()));
        const QString text = timeLabel(mark);
        const double textWidth = metrics.horizontalAdvance(text);
        const QRectF box(x - textWidth / 2, plot.bottom() + labelGap / 2, textWidth,
                         metrics.height());
        painter.setPen(label);
        painter.drawText(box, Qt::AlignCenter, text);
    }
}

void HistoryChart::paintValues(QPainter& painter) const {
    const std::size_t count = values_.size();
    const std::size_t first = count > static_cast<std::size_t>(capacity_)
                                  ? count - static_cast<std::size_t>(capacity_)
                                  : 0;
    if (first == count) {
        return;
    }
    QPen pen(color_, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    if (count - first == 1) {
        painter.setPen(pen);
        painter.drawPoint(plotPosition(first, count, values_[first]));
        return;
    }

    QPainterPath line;
    for (std::size_t i = first; i < count; ++i) {
        const QPointF point = plotPosition(i, count, values_[i]);
        if (i == first) {
            line.moveTo(point);
        } else {
            line.lineTo(point);
        }
    }
    const QRectF plot = plotArea();
    QPainterPath area = line;
    area.lineTo(line.currentPosition().x(), plot.bottom());
    area.lineTo(line.elementAt(0).x, plot.bottom());
    area.closeSubpath();

    QLinearGradient fill(plot.topLeft(), plot.bottomLeft());
    fill.setColorAt(0, withOpacity(color_, areaTopOpacity));
    fill.setColorAt(1, withOpacity(color_, areaBottomOpacity));
    painter.fillPath(area, fill);
    painter.strokePath(line, pen);
}

}  // namespace vantric
