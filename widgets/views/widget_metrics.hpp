#pragma once

#include <array>
#include <vector>

#include <QColor>
#include <QString>

#include "core/format.hpp"
#include "widgets/views/spark_point.hpp"
#include "widgets/views/vitals_entry.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

// What a small widget shows of one figure, every text ready to draw.
struct SmallMetric {
    QString title{};        // "CPU", "Memory", "GPU"; the widget draws it in capitals
    QString systemImage{};  // a symbol identifier of symbolPixmap
    QColor color{};         // the figure's colour, critical at a load of 0.9 or more
    QString value{};        // "32", "7.0", or "–" for a figure that cannot be read
    QString unit{};         // "%", "GB"
    QString caption{};      // "User 21% · Sys 11%"
    double fraction = 0;    // the ring's fill
    std::vector<SparkPoint> spark{};
};

// The texts of the cpu, memory or gpu widget for entry; the overview is treated as cpu.
SmallMetric smallMetric(VitalsWidgetKind kind, const VitalsEntry& entry,
                        const NumberSymbols& symbols);

// One column of the overview: a small metric without its caption.
struct OverviewColumn {
    QString title{};
    QString systemImage{};
    QColor color{};
    QString figure{};
    QString unit{};
    double fraction = 0;
    std::vector<SparkPoint> spark{};
};

// CPU, memory and GPU, left to right.
std::array<OverviewColumn, 3> overviewColumns(const VitalsEntry& entry,
                                              const NumberSymbols& symbols);

}  // namespace vantric
