// The widget host's stored places: an INI file any of the user's programs, or a damaged disk, may
// have written. Loading it must stay within its bounds, whatever it holds, and a free spot must
// still be found.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <QFile>
#include <QTemporaryDir>

#include "fuzz/fuzz_check.hpp"
#include "widget_host/placements.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    static const QTemporaryDir folder;
    static const QString file = folder.filePath(QStringLiteral("WidgetHost.conf"));
    const std::string_view bytes = fuzzText(data, size);
    {
        QFile places(file);
        if (!places.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        places.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    const std::vector<Placement> loaded = loadPlacements(file);
    fuzzCheck(loaded.size() <= maxPlacements, "at most the widgets ever placed are loaded");
    for (const Placement& placement : loaded) {
        fuzzCheck(std::abs(placement.position.x()) <= farthestPosition &&
                      std::abs(placement.position.y()) <= farthestPosition,
                  "a loaded place is within a screen's reach");
    }
    for (const VitalsWidgetKind kind : allWidgetKinds) {
        fuzzCheck(freeSpot(loaded, kind).has_value(), "a spot is free beside what was loaded");
    }
    return 0;
}
