#include "app/window/core_bars.hpp"

#include <algorithm>
#include <cmath>

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include "app/window/figure_text.hpp"
#include "app/window/text_styles.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr double cornerRadius = 5;
constexpr double stackSpacing = 6;
constexpr float trackOpacity = 0.12F;

double shown(double fraction) {
    return std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
}

QString coreLabel(std::size_t index) {
    return QStringLiteral("Core %1").arg(index + 1);
}

int ceilingDivide(int count, int by) {
    return (count + by - 1) / by;
}

}  // namespace

CoreBars::CoreBars(QWidget* parent) : QWidget(parent), color_(Palette::cpu()) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void CoreBars::setCores(std::vector<double> cores, const QColor& color) {
    const bool reflow = cores.size() != cores_.size();
    cores_ = std::move(cores);
    color_ = color;
    if (reflow) {
        updateGeometry();
    }
    update();
}

int CoreBars::narrowestColumn() const {
    // The widest texts a column holds: the last processor's label and "100%".
    const QFontMetricsF label(TextStyle::caption2());
    const QFontMetricsF percent(TextStyle::caption());
    const double widest =
        std::max(label.horizontalAdvance(coreLabel(std::max<std::size_t>(cores_.size(), 1) - 1)),
                 percent.horizontalAdvance(QStringLiteral("100%")));
    return static_cast<int>(std::ceil(widest)) + 2;
}

int CoreBars::columnsPerRow(int width) const {
    const int count = static_cast<int>(cores_.size());
    if (count == 0) {
        return 1;
    }
    const int fitting = std::max(1, (width + columnSpacing) / (narrowestColumn() + columnSpacing));
    if (fitting >= count) {
        return count;
    }
    // Rows of equal length, rather than full rows and a stub.
    return ceilingDivide(count, ceilingDivide(count, fitting));
}

int CoreBars::rowCount(int width) const {
    return std::max(1, ceilingDivide(static_cast<int>(cores_.size()), columnsPerRow(width)));
}

int CoreBars::heightForWidth(int width) const {
    const int rows = rowCount(width);
    return rows * rowHeight + (rows - 1) * rowSpacing;
}

QSize CoreBars::sizeHint() const {
    const int width = 400;
    return {width, heightForWidth(width)};
}

QSize CoreBars::minimumSizeHint() const {
    return {narrowestColumn(), rowHeight};
}

std::vector<CoreBars::Column> CoreBars::columns() const {
    std::vector<Column> laidOut;
    if (cores_.empty()) {
        return laidOut;
    }
    const QFontMetricsF percentMetrics(TextStyle::caption());
    const QFontMetricsF labelMetrics(TextStyle::caption2());
    const int perRow = columnsPerRow(width());
    const double columnWidth =
        std::max(1.0, (width() - columnSpacing * (perRow - 1.0)) / static_cast<double>(perRow));
    const double trackHeight =
        std::max(minimumFill,
                 rowHeight - 2 * stackSpacing - percentMetrics.height() - labelMetrics.height());

    laidOut.reserve(cores_.size());
    for (std::size_t index = 0; index < cores_.size(); ++index) {
        // Whole rows and columns: the division is meant to drop the remainder.
        const std::size_t rowIndex = index / static_cast<std::size_t>(perRow);
        const auto row = static_cast<double>(rowIndex);
        const auto column =
            static_cast<double>(index - rowIndex * static_cast<std::size_t>(perRow));
        const double left = column * (columnWidth + columnSpacing);
        const double top = row * (rowHeight + rowSpacing);
        const double fraction = shown(cores_[index]);
        const double fillHeight = std::max(fraction * trackHeight, minimumFill);
        const QRectF track(left, top, columnWidth, trackHeight);
        const double percentTop = track.bottom() + stackSpacing;
        laidOut.push_back(Column{
            .track = track,
            .fill = QRectF(left, track.bottom() - fillHeight, columnWidth, fillHeight),
            .fillColor = Palette::forLoad(cores_[index], color_),
            .percentText = QRectF(left, percentTop, columnWidth, percentMetrics.height()),
            .labelText = QRectF(left, percentTop + percentMetrics.height() + stackSpacing,
                                columnWidth, labelMetrics.height()),
        });
    }
    return laidOut;
}

void CoreBars::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor track = color_;
    track.setAlphaF(track.alphaF() * trackOpacity);
    const QFont percentFont = TextStyle::caption();
    const QFont labelFont = TextStyle::caption2();
    const QColor primary = TextStyle::primaryText(palette());
    const QColor secondary = TextStyle::secondaryText(palette());

    const std::vector<Column> laidOut = columns();
    for (std::size_t index = 0; index < laidOut.size(); ++index) {
        const Column& column = laidOut[index];
        painter.setPen(Qt::NoPen);
        painter.setBrush(track);
        painter.drawRoundedRect(column.track, cornerRadius, cornerRadius);
        painter.setBrush(column.fillColor);
        painter.drawRoundedRect(column.fill, cornerRadius, cornerRadius);

        painter.setFont(percentFont);
        painter.setPen(primary);
        painter.drawText(column.percentText, Qt::AlignCenter, percentText(cores_[index]));
        painter.setFont(labelFont);
        painter.setPen(secondary);
        painter.drawText(column.labelText, Qt::AlignCenter, coreLabel(index));
    }
}

void CoreBars::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
}

}  // namespace vantric
