#pragma once

#include <array>

#include <QRectF>
#include <QString>

#include "widgets/views/widget_fonts.hpp"
#include "widgets/views/widget_metrics.hpp"

namespace vantric {

// One line of text where it is drawn: its baseline starts at origin.
struct PlacedText {
    QString text{};
    WidgetFont font{10, QFont::Normal};
    QPointF origin{};

    // The line's box: from ascent above the baseline to descent below, as wide as the text.
    QRectF box() const;
};

// Where each element of a small widget goes, in the coordinates of the rect it was laid out in.
struct SmallWidgetLayout {
    QRectF content{};  // inside the padding
    QRectF symbol{};
    PlacedText title{};  // in capitals
    PlacedText time{};
    PlacedText value{};
    PlacedText unit{};
    PlacedText caption{};
    QRectF ring{};
    QRectF spark{};
    double figureScale = 1;   // how far value and unit shrank to share one line, 0.6 to 1
    double captionScale = 1;  // 0.75 to 1; below that the caption is elided
};

// rect is the whole widget; time the entry's clock time as the header shows it.
SmallWidgetLayout layoutSmallWidget(const QRectF& rect, const SmallMetric& metric,
                                    const QString& time);

struct OverviewColumnLayout {
    QRectF column{};
    QRectF ring{};
    PlacedText figure{};
    PlacedText unit{};
    QRectF symbol{};
    PlacedText title{};
    QRectF spark{};
    double figureScale = 1;  // 0.6 to 1
};

struct OverviewLayout {
    QRectF content{};
    std::array<OverviewColumnLayout, 3> columns{};
};

// rect is the whole widget.
OverviewLayout layoutOverview(const QRectF& rect, const std::array<OverviewColumn, 3>& columns);

}  // namespace vantric
