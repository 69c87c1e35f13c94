#include "widgets/views/symbol_icons.hpp"

#include <array>
#include <cmath>
#include <optional>

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

namespace vantric {
namespace {

struct Symbol {
    const char* identifier = "";
    const char* resource = "";
    const char* themeName = "";  // empty where the freedesktop naming has no such icon
};

constexpr std::array<Symbol, 5> symbols{{
    {.identifier = "gauge.with.dots.needle.33percent",
     .resource = ":/icons/overview.svg",
     .themeName = "utilities-system-monitor"},
    {.identifier = "cpu", .resource = ":/icons/cpu.svg", .themeName = ""},
    {.identifier = "memorychip", .resource = ":/icons/memory.svg", .themeName = ""},
    {.identifier = "square.3.layers.3d", .resource = ":/icons/gpu.svg", .themeName = ""},
    {.identifier = "widget.small", .resource = ":/icons/widgets.svg", .themeName = ""},
}};

std::optional<Symbol> symbolNamed(const QString& identifier) {
    for (const Symbol& symbol : symbols) {
        if (identifier == QLatin1String(symbol.identifier)) {
            return symbol;
        }
    }
    return std::nullopt;
}

// The symbols are drawn in black on transparent: painting the tint over them with SourceIn keeps
// their coverage and replaces their colour, antialiased edges included.
QImage tinted(const QString& resource, const QSize& size, const QColor& tint) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), tint);
    return image;
}

// Draws the symbol afresh at every size asked for, in the colour the application palette gives
// the icon's mode, so it stays sharp at any scale and readable on a dark palette.
class SymbolEngine : public QIconEngine {
public:
    explicit SymbolEngine(QString resource) : resource_(std::move(resource)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal dpr = painter->device()->devicePixelRatioF();
        const QSize pixels(static_cast<int>(std::lround(rect.width() * dpr)),
                           static_cast<int>(std::lround(rect.height() * dpr)));
        painter->drawPixmap(rect, pixmap(pixels, mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
        return QPixmap::fromImage(tinted(resource_, size, color(mode)));
    }

    QIconEngine* clone() const override { return new SymbolEngine(resource_); }

private:
    static QColor color(QIcon::Mode mode) {
        const QPalette palette = QGuiApplication::palette();
        switch (mode) {
        case QIcon::Disabled: return palette.color(QPalette::Disabled, QPalette::WindowText);
        case QIcon::Selected: return palette.color(QPalette::HighlightedText);
        default: return palette.color(QPalette::WindowText);
        }
    }

    QString resource_;
};

}  // namespace

QIcon symbolIcon(const QString& systemImage) {
    const std::optional<Symbol> symbol = symbolNamed(systemImage);
    if (!symbol) {
        return {};
    }
    QIcon bundled(new SymbolEngine(QString::fromLatin1(symbol->resource)));
    const QString themeName = QString::fromLatin1(symbol->themeName);
    return themeName.isEmpty() ? bundled : QIcon::fromTheme(themeName, bundled);
}

QPixmap symbolPixmap(const QString& systemImage, int pixelSize, const QColor& tint, qreal dpr) {
    const std::optional<Symbol> symbol = symbolNamed(systemImage);
    if (!symbol || pixelSize <= 0) {
        return {};
    }
    const int pixels = static_cast<int>(std::lround(pixelSize * dpr));
    QPixmap pixmap =
        QPixmap::fromImage(tinted(QString::fromLatin1(symbol->resource), {pixels, pixels}, tint));
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

}  // namespace vantric
