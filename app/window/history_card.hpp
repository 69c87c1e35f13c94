#pragma once

#include <QColor>
#include <QString>

#include "app/window/section_card.hpp"

namespace vantric {

class HistoryChart;

// "Last 2 minutes": a detail page's card around the chart of one figure's history, a capacity
// of 120 readings.
class HistoryCard : public SectionCard {
public:
    HistoryCard(const QString& subtitle, const QColor& color, QWidget* parent = nullptr);

    HistoryChart& chart() const { return *chart_; }

private:
    HistoryChart* chart_ = nullptr;
};

}  // namespace vantric
