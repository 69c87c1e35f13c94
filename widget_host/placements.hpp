#pragma once

#include <optional>
#include <vector>

#include <QPoint>
#include <QString>

#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

// One widget on the desktop: its kind, and its top-left corner. With an output name the corner
// is relative to that output's top-left corner; without one it is in desktop coordinates, as
// every place saved on X11 is.
struct Placement {
    VitalsWidgetKind kind = VitalsWidgetKind::cpu;
    QPoint position{};
    QString output{};

    bool operator==(const Placement&) const = default;
};

// The longest output name kept; a longer one, like one with control characters, is damage and
// reads as none, so that the widget still shows on some output.
inline constexpr qsizetype longestOutputName = 64;

// The most widgets placed at once: more would crowd any desktop, and the bound keeps every
// search over the places short.
inline constexpr std::size_t maxPlacements = 64;
// The farthest a widget's corner may lie from the desktop's origin, either way: window systems
// keep coordinates in 16 bits. A stored place beyond it is damage, and is left out.
inline constexpr int farthestPosition = 32767;

// The placed widgets, in placement order, kept in the user's settings (organisation "Vantric",
// application "WidgetHost") so that every host process and the --add / --remove commands share
// them. Each call reads or writes the file afresh: another process may have changed it.
QString placementsFile();
// At most maxPlacements of the places stored first; a place of an unknown kind or out of range is
// left out and the rest kept.
std::vector<Placement> loadPlacements(const QString& file = placementsFile());
// False when the places could not be written.
[[nodiscard]] bool savePlacements(const std::vector<Placement>& placements,
                                  const QString& file = placementsFile());

// The first spot of a grid, row by row, where a new widget of kind keeps clear of the placed ones;
// nothing when the spots a search may look at are all taken.
std::optional<QPoint> freeSpot(const std::vector<Placement>& placements, VitalsWidgetKind kind);

// Index of the last placement of kind; nullopt when there is none.
std::optional<std::size_t> lastPlacementOf(const std::vector<Placement>& placements,
                                           VitalsWidgetKind kind);

}  // namespace vantric
