#include "app/window/history_card.hpp"

#include "app/window/history_chart.hpp"

namespace vantric {

HistoryCard::HistoryCard(const QString& subtitle, const QColor& color, QWidget* parent)
    : SectionCard(QStringLiteral("Last 2 minutes"), parent), chart_(new HistoryChart(color, 120)) {
    setSubtitle(subtitle);
    setContent(chart_);
}

}  // namespace vantric
