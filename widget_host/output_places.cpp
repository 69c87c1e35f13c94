#include "widget_host/output_places.hpp"

#include <algorithm>

namespace vantric {
namespace {

QPoint inside(QPoint corner, QSize size, const QRect& area) {
    // A widget larger than its output keeps its top-left corner on it.
    return {std::clamp(corner.x(), 0, std::max(0, area.width() - size.width())),
            std::clamp(corner.y(), 0, std::max(0, area.height() - size.height()))};
}

std::optional<std::size_t> holding(QPoint point, const std::vector<OutputArea>& areas) {
    const auto found = std::find_if(areas.begin(), areas.end(), [point](const OutputArea& o) {
        return o.area.contains(point);
    });
    return found == areas.end() ? std::nullopt
                                : std::optional(static_cast<std::size_t>(found - areas.begin()));
}

}  // namespace

std::optional<ResolvedPlace> resolvePlace(const Placement& placement,
                                          const std::vector<OutputArea>& areas, QSize size) {
    if (areas.empty()) {
        return std::nullopt;
    }
    if (!placement.output.isEmpty()) {
        const auto named = std::find_if(areas.begin(), areas.end(), [&](const OutputArea& o) {
            return o.name == placement.output;
        });
        if (named != areas.end()) {
            return ResolvedPlace{.output = static_cast<std::size_t>(named - areas.begin()),
                                 .corner = inside(placement.position, size, named->area)};
        }
    } else if (const auto output = holding(placement.position, areas)) {
        const QRect& area = areas[*output].area;
        return ResolvedPlace{.output = *output,
                             .corner = inside(placement.position - area.topLeft(), size, area)};
    }
    const auto first =
        std::min_element(areas.begin(), areas.end(), [](const auto& a, const auto& b) {
            return std::pair(a.area.y(), a.area.x()) < std::pair(b.area.y(), b.area.x());
        });
    // A name of an output that is gone keeps its corner relative to an output's; a desktop
    // place off every output is taken as relative to the top-left one's corner.
    const QPoint corner = placement.output.isEmpty() ? placement.position - first->area.topLeft()
                                                     : placement.position;
    return ResolvedPlace{.output = static_cast<std::size_t>(first - areas.begin()),
                         .corner = inside(corner, size, first->area)};
}

Placement dropPlace(const Placement& dragged, QPoint corner, QSize size,
                    const std::vector<OutputArea>& areas, std::size_t fallback) {
    const QPoint centre = corner + QPoint(size.width() / 2, size.height() / 2);
    const std::size_t output = holding(centre, areas).value_or(fallback);
    const OutputArea& onto = areas.at(output);
    return Placement{.kind = dragged.kind,
                     .position = inside(corner - onto.area.topLeft(), size, onto.area),
                     .output = onto.name};
}

}  // namespace vantric
