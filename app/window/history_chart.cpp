#include "app/window/history_chart.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include <QEvent>
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
    measureLabels();
}

void HistoryChart::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        measureLabels();
        update();
    }
}

void HistoryChart::measureLabels() {
    const QFontMetricsF metrics(font());
    const auto laidOut = [this](const QString& text) {
        QStaticText label(text);
        label.setTextFormat(Qt::PlainText);
        label.prepare(QTransform(), font());
        return label;
    };
    percentLabels_.clear();
    double labelWidth = 0;
    for (const int mark : percentMarks) {
        percentLabels_.push_back(laidOut(percentLabel(mark)));
        labelWidth = std::max(labelWidth, percentLabels_.back().size().width());
    }
    timeLabels_.clear();
    for (const int mark : timeMarks) {
        timeLabels_.push_back(laidOut(timeLabel(mark)));
    }
    // The outermost labels are centred on the plot's edges: leave room for the half of them
    // that reaches beyond the plot.
    labelMargins_ = QMarginsF(std::ceil(labelWidth + labelGap), std::ceil(metrics.height() / 2),
                              std::ceil(timeLabels_.back().size().width() / 2),
                              std::ceil(labelGap / 2 + metrics.height()));
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
    const QMarginsF& margins = labelMargins_;
    return QRectF(margins.left(), margins.top(),
                  std::max(0.0, width() - margins.left() - margins.right()),
                  std::max(0.0, height() - margins.top() - margins.bottom()));
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
    const QColor grid = withOpacity(TextStyle::primaryText(palette()), gridOpacity);
    const QColor label = TextStyle::secondaryText(palette());
    painter.setFont(font());

    for (std::size_t index = 0; index < percentMarks.size(); ++index) {
        const double y = yPosition(percentMarks[index]);
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(plot.left(), pixelCentre(y)),
                         QPointF(plot.right(), pixelCentre(y)));
        const QSizeF size = percentLabels_[index].size();
        painter.setPen(label);
        painter.drawStaticText(
            QPointF(plot.left() - labelGap - size.width(), y - size.height() / 2),
            percentLabels_[index]);
    }
    for (std::size_t index = 0; index < timeMarks.size(); ++index) {
        const double x = xPosition(timeMarks[index]);
        painter.setPen(QPen(grid, 1));
        painter.drawLine(QPointF(pixelCentre(x), plot.top()),
                         QPointF(pixelCentre(x), plot.bottom()));
        const QSizeF size = timeLabels_[index].size();
        painter.setPen(label);
        painter.drawStaticText(QPointF(x - size.width() / 2, plot.bottom() + labelGap / 2),
                               timeLabels_[index]);
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
