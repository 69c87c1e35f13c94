#pragma once

#include <optional>
#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "widget_host/placements.hpp"

namespace vantric {

// One output (monitor) as the desktop lays them out, in logical pixels.
struct OutputArea {
    QString name{};
    QRect area{};
};

// Where a saved place shows: on which of areas, at which corner relative to it.
struct ResolvedPlace {
    std::size_t output = 0;
    QPoint corner{};
};

// The output and corner for a widget of size saved at placement: its own output when that is
// there; for a place without an output name, the output that holds the corner; otherwise the
// top-left output, so that the choice does not depend on the order outputs were announced. The
// corner is then brought inside the output, which also rescues a place off every screen. Nothing
// when there is no output.
std::optional<ResolvedPlace> resolvePlace(const Placement& placement,
                                          const std::vector<OutputArea>& areas, QSize size);

// The place at which a widget of size dragged to corner (desktop coordinates) is saved: on the
// output that holds its centre, or on fallback's when none does, inside that output.
Placement dropPlace(const Placement& dragged, QPoint corner, QSize size,
                    const std::vector<OutputArea>& areas, std::size_t fallback);

}  // namespace vantric
