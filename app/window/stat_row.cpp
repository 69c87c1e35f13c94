#include "app/window/stat_row.hpp"

#include <QHBoxLayout>

#include "app/window/big_stat.hpp"

namespace vantric {

StatRow::StatRow(const QStringList& labels, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(40);
    for (const QString& label : labels) {
        stats_.push_back(new BigStat(label, this));
        layout->addWidget(stats_.back(), 0, Qt::AlignVCenter);
    }
    layout->addStretch(1);
}

}  // namespace vantric
