#include "platform/widget_host/placements.hpp"

#include <algorithm>
#include <string>

#include <QRect>
#include <QSettings>

namespace vantric {
namespace {

const QString arrayKey = QStringLiteral("widgets");
const QString kindKey = QStringLiteral("kind");
const QString xKey = QStringLiteral("x");
const QString yKey = QStringLiteral("y");

// Widgets go in a grid of small-widget cells from the desktop's top-left corner, a gap apart.
constexpr int margin = 32;
constexpr int gap = 16;
constexpr int cell = 164 + gap;
constexpr int columns = 6;

}  // namespace

std::vector<Placement> loadPlacements() {
    QSettings store(QStringLiteral("Vantric"), QStringLiteral("WidgetHost"));
    store.sync();
    std::vector<Placement> placements;
    const int count = store.beginReadArray(arrayKey);
    for (int index = 0; index < count; ++index) {
        store.setArrayIndex(index);
        const auto kind = widgetKindForIdentifier(store.value(kindKey).toString().toStdString());
        // A kind this version does not know is left out rather than guessed.
        if (kind) {
            placements.push_back(
                {.kind = *kind,
                 .position = {store.value(xKey).toInt(), store.value(yKey).toInt()}});
        }
    }
    store.endArray();
    return placements;
}

void savePlacements(const std::vector<Placement>& placements) {
    QSettings store(QStringLiteral("Vantric"), QStringLiteral("WidgetHost"));
    // Entries past a shorter array's end would otherwise stay in the file.
    store.remove(arrayKey);
    store.beginWriteArray(arrayKey, static_cast<int>(placements.size()));
    for (std::size_t index = 0; index < placements.size(); ++index) {
        store.setArrayIndex(static_cast<int>(index));
        store.setValue(kindKey, QString::fromStdString(kindIdentifier(placements[index].kind)));
        store.setValue(xKey, placements[index].position.x());
        store.setValue(yKey, placements[index].position.y());
    }
    store.endArray();
    store.sync();
}

QPoint freeSpot(const std::vector<Placement>& placements, VitalsWidgetKind kind) {
    for (int spot = 0;; ++spot) {
        const QPoint corner(margin + (spot % columns) * cell, margin + (spot / columns) * cell);
        // A medium widget does not hang past the grid's last column.
        if (corner.x() + widgetSize(kind).width() > margin + columns * cell - gap) {
            continue;
        }
        // Grown by the gap, so that neighbours never touch.
        const QRect wanted =
            QRect(corner, widgetSize(kind)).adjusted(-gap + 1, -gap + 1, gap - 1, gap - 1);
        const bool taken = std::any_of(placements.begin(), placements.end(), [&](const auto& p) {
            return wanted.intersects(QRect(p.position, widgetSize(p.kind)));
        });
        if (!taken) {
            return corner;
        }
    }
}

std::optional<std::size_t> lastPlacementOf(const std::vector<Placement>& placements,
                                           VitalsWidgetKind kind) {
    for (std::size_t index = placements.size(); index > 0; --index) {
        if (placements[index - 1].kind == kind) {
            return index - 1;
        }
    }
    return std::nullopt;
}

}  // namespace vantric
