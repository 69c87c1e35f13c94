#include "app/store/icon_cache.hpp"

#include <algorithm>

#include <QFileIconProvider>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace vantric {
namespace {

// How many icons that no row shows are kept before they are all forgotten.
constexpr std::size_t unshownKept = 32;

constexpr int pixels = IconCache::logicalSize * IconCache::pixelRatio;

// Drawn here rather than left to Qt's SVG icon plug-in, which an installation may lack.
QIcon renderedSvg(const QString& file) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(file);
    if (!renderer.isValid()) {
        return {};
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}

QIcon desktopIcon(const std::optional<std::string>& path) {
    if (!path) {
        return IconCache::genericIcon();
    }
    const QFileInfo file(QString::fromStdString(*path));
    // An icon theme's image file is the icon itself; asked of the file icon provider it would
    // give the icon of its file type.
    if (file.isFile()) {
        const QString suffix = file.suffix().toLower();
        if (suffix == QStringLiteral("svg") || suffix == QStringLiteral("svgz")) {
            return renderedSvg(file.filePath());
        }
        const QPixmap image(file.filePath());
        return image.isNull() ? QIcon() : QIcon(image);
    }
    static const QFileIconProvider provider;
    return provider.icon(file);
}

// Icons come in any size and shape: scale the largest the icon offers to fit the square, keep
// its proportions and centre it.
QPixmap flattened(const QIcon& icon) {
    const QPixmap source =
        icon.pixmap(QSize(IconCache::logicalSize, IconCache::logicalSize), IconCache::pixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!source.isNull()) {
        const QSizeF fitted = QSizeF(source.size()).scaled(pixels, pixels, Qt::KeepAspectRatio);
        const QRectF target(QPointF((pixels - fitted.width()) / 2, (pixels - fitted.height()) / 2),
                            fitted);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, source, QRectF(source.rect()));
    }
    // Without the flag an icon that happens to be opaque would lose its alpha channel, and the
    // rows would hold pixmaps of two formats.
    QPixmap pixmap = QPixmap::fromImage(image, Qt::NoOpaqueDetection);
    pixmap.setDevicePixelRatio(IconCache::pixelRatio);
    return pixmap;
}

}  // namespace

IconCache::IconCache(Source source) : source_(std::move(source)) {}

IconCache& IconCache::shared() {
    static IconCache cache(desktopIcon);
    return cache;
}

QIcon IconCache::genericIcon() {
    static const QIcon bundled = renderedSvg(QStringLiteral(":/icons/executable.svg"));
    return QIcon::fromTheme(QStringLiteral("application-x-executable"), bundled);
}

QPixmap IconCache::icon(const std::optional<std::string>& bundlePath) {
    const std::string key = bundlePath.value_or(std::string());
    if (const auto found = icons_.find(key); found != icons_.end()) {
        return found->second;
    }
    forgetUnshown();
    QIcon source = source_(bundlePath);
    if (source.isNull()) {
        source = genericIcon();
    }
    return icons_.emplace(key, flattened(source)).first->second;
}

void IconCache::forgetUnshown() {
    // Shown by no row: only the cache refers to the pixmap. The generic icon, under "", stays.
    const auto isUnshown = [](const auto& entry) {
        return !entry.first.empty() && entry.second.isDetached();
    };
    const auto unshown = std::count_if(icons_.begin(), icons_.end(), isUnshown);
    if (static_cast<std::size_t>(unshown) < unshownKept) {
        return;
    }
    std::erase_if(icons_, isUnshown);
}

}  // namespace vantric
