#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include <QIcon>
#include <QPixmap>

namespace vantric {

// The small icons of the top-apps rows: one per bundle path or icon image file, plus one under ""
// shared by every process with neither. Each icon is asked of the source once and flattened once
// into a 44 x 44 px pixmap at device pixel ratio 2 (22 x 22 device-independent pixels), so the
// refresh of the list every second costs one lookup per row. An entry is never replaced: an
// application that changes its icon while running keeps the old one until the next launch. Icons
// that no row shows (only the cache refers to their pixmap) are kept until 32 are, and then all
// forgotten: an application that leaves the list and comes back, as the busiest ones change every
// second, finds its icon here rather than in the theme again, and a long day of applications
// costs no more than those 32 and the ones on show. Main thread only, like the pixmaps it holds.
class IconCache {
public:
    // The icon of the bundle at the path, or for none the generic executable icon. A null icon
    // is replaced by the generic one.
    using Source = std::function<QIcon(const std::optional<std::string>& bundlePath)>;

    static constexpr int logicalSize = 22;
    static constexpr int pixelRatio = 2;

    explicit IconCache(Source source);

    // The process-wide cache over the desktop's icons: the image of an icon file, the file icon
    // of a bundle path, the theme's executable icon otherwise.
    static IconCache& shared();
    // The theme's "application-x-executable", or the bundled one where the theme has none.
    static QIcon genericIcon();

    // A copy that shares the cached pixmap's data, and keeps the icon on show while it lives.
    QPixmap icon(const std::optional<std::string>& bundlePath);
    std::size_t size() const { return icons_.size(); }

private:
    Source source_;
    void forgetUnshown();

    std::unordered_map<std::string, QPixmap> icons_;
};

}  // namespace vantric
