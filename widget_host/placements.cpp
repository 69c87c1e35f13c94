#include "widget_host/placements.hpp"

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
const QString outputKey = QStringLiteral("output");

// Widgets go in a grid of small-widget cells from the desktop's top-left corner, a gap apart.
constexpr int margin = 32;
constexpr int gap = 16;
constexpr int cell = 164 + gap;
constexpr int columns = 6;

QString outputName(const QString& stored) {
    const bool damaged = stored.size() > longestOutputName ||
                         std::any_of(stored.begin(), stored.end(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return damaged ? QString() : stored;
}

}  // namespace

QString placementsFile() {
    // The native format's name (WidgetHost.conf), which on Linux is an INI file too.
    return QSettings(QStringLiteral("Vantric"), QStringLiteral("WidgetHost")).fileName();
}

std::vector<Placement> loadPlacements(const QString& file) {
    QSettings store(file, QSettings::IniFormat);
    std::vector<Placement> placements;
    // No more than were ever written: a damaged size of two billion would be walked for minutes.
    const int count = std::min(store.beginReadArray(arrayKey), static_cast<int>(maxPlacements));
    for (int index = 0; index < count; ++index) {
        store.setArrayIndex(index);
        const auto kind = widgetKindForIdentifier(store.value(kindKey).toString().toStdString());
        const auto coordinate = [&store](const QString& key) -> std::optional<int> {
            bool read = false;
            const qlonglong value = store.value(key).toLongLong(&read);
            return read && value >= -farthestPosition && value <= farthestPosition
                       ? std::optional(static_cast<int>(value))
                       : std::nullopt;
        };
        const auto x = coordinate(xKey);
        const auto y = coordinate(yKey);
        // A kind this version does not know is left out rather than guessed, and so is a place
        // that no screen could show.
        if (kind && x && y) {
            placements.push_back({.kind = *kind,
                                  .position = {*x, *y},
                                  .output = outputName(store.value(outputKey).toString())});
        }
    }
    store.endArray();
    return placements;
}

bool savePlacements(const std::vector<Placement>& placements, const QString& file) {
    QSettings store(file, QSettings::IniFormat);
    // Entries past a shorter array's end would otherwise stay in the file.
    store.remove(arrayKey);
    store.beginWriteArray(arrayKey, static_cast<int>(placements.size()));
    for (std::size_t index = 0; index < placements.size(); ++index) {
        store.setArrayIndex(static_cast<int>(index));
        store.setValue(kindKey, QString::fromStdString(kindIdentifier(placements[index].kind)));
        store.setValue(xKey, placements[index].position.x());
        store.setValue(yKey, placements[index].position.y());
        if (!placements[index].output.isEmpty()) {
            store.setValue(outputKey, placements[index].output);
        }
    }
    store.endArray();
    store.sync();
    return store.status() == QSettings::NoError;
}

std::optional<QPoint> freeSpot(const std::vector<Placement>& placements, VitalsWidgetKind kind) {
    // A placed widget keeps a new one out of the cells of at most two rows, so with no more than
    // maxPlacements placed one of these rows is wholly free.
    constexpr int rows = static_cast<int>(maxPlacements) * 2 + 1;
    for (int spot = 0; spot < rows * columns; ++spot) {
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
    return std::nullopt;
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
