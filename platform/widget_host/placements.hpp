#pragma once

#include <optional>
#include <vector>

#include <QPoint>

#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

// One widget on the desktop: its kind, and its top-left corner in desktop coordinates.
struct Placement {
    VitalsWidgetKind kind = VitalsWidgetKind::cpu;
    QPoint position{};

    bool operator==(const Placement&) const = default;
};

// The placed widgets, in placement order, kept in the user's settings (organisation "Vantric",
// application "WidgetHost") so that every host process and the --add / --remove commands share
// them. Each call reads or writes the file afresh: another process may have changed it.
std::vector<Placement> loadPlacements();
void savePlacements(const std::vector<Placement>& placements);

// The first spot of a grid, row by row, where a new widget of kind keeps clear of the placed ones.
QPoint freeSpot(const std::vector<Placement>& placements, VitalsWidgetKind kind);

// Index of the last placement of kind; nullopt when there is none.
std::optional<std::size_t> lastPlacementOf(const std::vector<Placement>& placements,
                                           VitalsWidgetKind kind);

}  // namespace vantric
