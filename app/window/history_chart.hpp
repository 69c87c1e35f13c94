#pragma once

#include <cstddef>
#include <vector>

#include <QColor>
#include <QMarginsF>
#include <QPointF>
#include <QRectF>
#include <QStaticText>
#include <QWidget>

namespace vantric {

// The recent history of one utilisation figure as a filled area under a line, on fixed scales:
// 0 to 100% upwards, and across the last capacity samples with the newest at the right edge, so
// a short history fills only the right-hand side. Axis labels at 90, 60 and 30 seconds ago and
// now, and at every quarter of the percent scale. Always 200 px high.
class HistoryChart : public QWidget {
    Q_OBJECT

public:
    static constexpr int chartHeight = 200;

    // A capacity below 2 is taken as 2, the fewest samples a time axis can span.
    explicit HistoryChart(const QColor& color, int capacity = 120, QWidget* parent = nullptr);

    // Fractions, oldest first, one per sample; values outside 0 to 1 are drawn at the nearer
    // edge, and of more than capacity values only the newest capacity are drawn.
    void setValues(std::vector<double> values);
    void setColor(const QColor& color);

    const std::vector<double>& values() const { return values_; }
    const QColor& color() const { return color_; }
    int capacity() const { return capacity_; }

    // The plot inside the axis labels, and where value index of count values lands in it.
    QRectF plotArea() const;
    QPointF plotPosition(std::size_t index, std::size_t count, double value) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The axis labels laid out once per font, and the room they take around the plot: painting
    // every second shapes no text.
    void measureLabels();
    double xPosition(double time) const;
    double yPosition(double percent) const;
    void paintAxes(QPainter& painter) const;
    void paintValues(QPainter& painter) const;

    QColor color_;
    int capacity_ = 120;
    std::vector<double> values_;
    QMarginsF labelMargins_;
    std::vector<QStaticText> percentLabels_;  // one per percent mark
    std::vector<QStaticText> timeLabels_;     // one per time mark
};

}  // namespace vantric
