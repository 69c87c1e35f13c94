#include "widgets/views/widget_layout.hpp"

#include <algorithm>

namespace vantric {
namespace {

constexpr double padding = 16;
// The symbols stand a little taller than the 11 px label text they lead, like a capital with
// its accents.
constexpr double symbolSize = 12;

namespace Small {
constexpr double headerSpacing = 4;
constexpr double minHeaderGap = 4;
constexpr double minAboveFigures = 4;
constexpr double minAboveSpark = 6;
constexpr double figureSpacing = 6;
constexpr double unitSpacing = 2;
constexpr double captionSpacing = 1;
constexpr double ringSize = 34;
constexpr double sparkHeight = 30;
constexpr double minFigureScale = 0.6;
constexpr double minCaptionScale = 0.75;
}  // namespace Small

namespace Overview {
constexpr double columnSpacing = 14;
constexpr double rowSpacing = 6;
constexpr double labelSpacing = 3;
constexpr double ringSize = 70;
constexpr double figureBoxWidth = 50;
constexpr double lineOverlap = 1;
constexpr double sparkHeight = 22;
constexpr double minFigureScale = 0.6;
}  // namespace Overview

// The factor that brings natural down to available, but no further than minimum.
double shrinkFactor(double natural, double available, double minimum) {
    if (natural <= available || natural <= 0) {
        return 1;
    }
    return std::max(minimum, available / natural);
}

// Text placed so that its line box is centred on centreY.
PlacedText centredOn(const QString& text, const WidgetFont& font, double x, double centreY) {
    return {.text = text, .font = font, .origin = {x, centreY - font.height() / 2 + font.ascent()}};
}

struct Header {
    QRectF symbol{};
    PlacedText title{};
    PlacedText time{};
    double height = 0;
};

Header header(const QRectF& content, const SmallMetric& metric, const QString& time) {
    const WidgetFont titleFont(11, QFont::Bold);
    const WidgetFont timeFont(10, QFont::Medium);
    const double height = std::max({titleFont.height(), timeFont.height(), symbolSize});
    const double centreY = content.top() + height / 2;

    Header result{.height = height};
    result.symbol = QRectF(content.left(), centreY - symbolSize / 2, symbolSize, symbolSize);
    const double timeX = content.right() - timeFont.width(time);
    result.time = centredOn(time, timeFont, timeX, centreY);
    const double titleX = result.symbol.right() + Small::headerSpacing;
    const double titleWidth = timeX - Small::minHeaderGap - titleX;
    result.title =
        centredOn(titleFont.elided(metric.title.toUpper(), titleWidth), titleFont, titleX, centreY);
    return result;
}

}  // namespace

QRectF PlacedText::box() const {
    return {origin.x(), origin.y() - font.ascent(), font.width(text), font.height()};
}

SmallWidgetLayout layoutSmallWidget(const QRectF& rect, const SmallMetric& metric,
                                    const QString& time) {
    using namespace Small;
    SmallWidgetLayout layout;
    layout.content = rect.adjusted(padding, padding, -padding, -padding);
    const QRectF& content = layout.content;

    const Header top = header(content, metric, time);
    layout.symbol = top.symbol;
    layout.title = top.title;
    layout.time = top.time;

    // Value and unit shrink together, the spacing between them staying put.
    const double columnWidth = content.width() - ringSize - figureSpacing;
    const WidgetFont valueFont(30, QFont::DemiBold);
    const WidgetFont unitFont(13, QFont::DemiBold);
    const double figureWidth = valueFont.width(metric.value) + unitFont.width(metric.unit);
    layout.figureScale = shrinkFactor(figureWidth, columnWidth - unitSpacing, minFigureScale);
    const WidgetFont value = valueFont.scaled(layout.figureScale);
    const WidgetFont unit = unitFont.scaled(layout.figureScale);

    const WidgetFont captionFont(10.5, QFont::Medium);
    layout.captionScale =
        shrinkFactor(captionFont.width(metric.caption), columnWidth, minCaptionScale);
    const WidgetFont caption = captionFont.scaled(layout.captionScale);

    const double figureAscent = std::max(value.ascent(), unit.ascent());
    const double figureLine = figureAscent + std::max(value.descent(), unit.descent());
    const double columnHeight = figureLine + captionSpacing + caption.height();
    const double rowHeight = std::max(columnHeight, ringSize);

    // The two flexible spaces share what is left equally, each keeping its minimum.
    const double free = content.height() - top.height - rowHeight - sparkHeight;
    double aboveFigures = std::max(free / 2, minAboveFigures);
    double aboveSpark = free - aboveFigures;
    if (aboveSpark < minAboveSpark) {
        aboveSpark = minAboveSpark;
        aboveFigures = std::max(free - aboveSpark, minAboveFigures);
    }

    const double rowTop = content.top() + top.height + aboveFigures;
    const double columnTop = rowTop + (rowHeight - columnHeight) / 2;
    const double baseline = columnTop + figureAscent;
    layout.value = {.text = metric.value, .font = value, .origin = {content.left(), baseline}};
    const double unitX = layout.value.box().right() + unitSpacing;
    layout.unit = {.text = unit.elided(metric.unit, content.left() + columnWidth - unitX),
                   .font = unit,
                   .origin = {unitX, baseline}};
    layout.caption = {
        .text = caption.elided(metric.caption, columnWidth),
        .font = caption,
        .origin = {content.left(), columnTop + figureLine + captionSpacing + caption.ascent()}};
    layout.ring =
        QRectF(content.right() - ringSize, rowTop + (rowHeight - ringSize) / 2, ringSize, ringSize);
    layout.spark =
        QRectF(content.left(), rowTop + rowHeight + aboveSpark, content.width(), sparkHeight);
    return layout;
}

namespace {

OverviewColumnLayout overviewColumn(const QRectF& column, const OverviewColumn& metric) {
    using namespace Overview;
    OverviewColumnLayout layout{.column = column};
    const WidgetFont titleFont(11, QFont::Bold);
    const double labelHeight = std::max(titleFont.height(), symbolSize);
    const double stackHeight = ringSize + rowSpacing + labelHeight + rowSpacing + sparkHeight;
    const double top = column.top() + (column.height() - stackHeight) / 2;
    const double centreX = column.center().x();

    layout.ring = QRectF(centreX - ringSize / 2, top, ringSize, ringSize);

    const WidgetFont figureFont(19, QFont::DemiBold);
    layout.figureScale =
        shrinkFactor(figureFont.width(metric.figure), figureBoxWidth, minFigureScale);
    const WidgetFont figure = figureFont.scaled(layout.figureScale);
    const WidgetFont unit(10, QFont::DemiBold);
    const double figureTop =
        layout.ring.center().y() - (figure.height() + unit.height() - lineOverlap) / 2;
    layout.figure = {
        .text = metric.figure,
        .font = figure,
        .origin = {centreX - figure.width(metric.figure) / 2, figureTop + figure.ascent()}};
    layout.unit = {.text = metric.unit,
                   .font = unit,
                   .origin = {centreX - unit.width(metric.unit) / 2,
                              figureTop + figure.height() - lineOverlap + unit.ascent()}};

    const double labelCentreY = layout.ring.bottom() + rowSpacing + labelHeight / 2;
    const QString title =
        titleFont.elided(metric.title, column.width() - symbolSize - labelSpacing);
    const double labelX = centreX - (symbolSize + labelSpacing + titleFont.width(title)) / 2;
    layout.symbol = QRectF(labelX, labelCentreY - symbolSize / 2, symbolSize, symbolSize);
    layout.title = centredOn(title, titleFont, labelX + symbolSize + labelSpacing, labelCentreY);

    layout.spark =
        QRectF(column.left(), layout.ring.bottom() + rowSpacing + labelHeight + rowSpacing,
               column.width(), sparkHeight);
    return layout;
}

}  // namespace

OverviewLayout layoutOverview(const QRectF& rect, const std::array<OverviewColumn, 3>& columns) {
    OverviewLayout layout;
    layout.content = rect.adjusted(padding, padding, -padding, -padding);
    const double width = (layout.content.width() - 2 * Overview::columnSpacing) /
                         static_cast<double>(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const double left =
            layout.content.left() + static_cast<double>(i) * (width + Overview::columnSpacing);
        layout.columns.at(i) = overviewColumn(
            QRectF(left, layout.content.top(), width, layout.content.height()), columns.at(i));
    }
    return layout;
}

}  // namespace vantric
