#include "widgets/views/vitals_widget_view.hpp"

#include <chrono>

#include <QDateTime>
#include <QEvent>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>

#include "widgets/views/locale_symbols.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/rounded_panel.hpp"
#include "widgets/views/sparkline.hpp"
#include "widgets/views/symbol_icons.hpp"
#include "widgets/views/widget_layout.hpp"
#include "widgets/views/widget_metrics.hpp"

namespace vantric {
namespace {

constexpr double cornerRadius = 22;
constexpr double borderOpacity = 0.08;

namespace Small {
constexpr double ringLineWidth = 5;
constexpr double sparkLineWidth = 1.5;
}  // namespace Small

namespace Overview {
constexpr double ringLineWidth = 7;
constexpr double sparkLineWidth = 1.2;
}  // namespace Overview

void drawText(QPainter& painter, const PlacedText& text, const QColor& color) {
    text.font.draw(painter, text.origin, text.text, color);
}

void drawSymbol(QPainter& painter, const QRectF& rect, const QString& systemImage,
                const QColor& color) {
    const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = symbolPixmap(systemImage, static_cast<int>(rect.width()), color, dpr);
    painter.drawPixmap(rect.topLeft(), pixmap);
}

void paintSmall(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
                const VitalsEntry& entry, const QPalette& palette) {
    const SmallMetric metric = smallMetric(kind, entry, currentNumberSymbols());
    const SmallWidgetLayout layout = layoutSmallWidget(rect, metric, widgetClockTime(entry.date));
    drawSymbol(painter, layout.symbol, metric.systemImage, metric.color);
    drawText(painter, layout.title, WidgetText::secondary(palette));
    drawText(painter, layout.time, WidgetText::tertiary(palette));
    drawText(painter, layout.value, WidgetText::primary(palette));
    drawText(painter, layout.unit, WidgetText::secondary(palette));
    drawText(painter, layout.caption, WidgetText::secondary(palette));
    RingGauge::paint(painter, layout.ring, metric.fraction, metric.color, Small::ringLineWidth);
    Sparkline::paint(painter, layout.spark, metric.spark, metric.color, Small::sparkLineWidth);
}

void paintOverview(QPainter& painter, const QRectF& rect, const VitalsEntry& entry,
                   const QPalette& palette) {
    const std::array<OverviewColumn, 3> columns = overviewColumns(entry, currentNumberSymbols());
    const OverviewLayout layout = layoutOverview(rect, columns);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const OverviewColumn& column = columns.at(i);
        const OverviewColumnLayout& placed = layout.columns.at(i);
        RingGauge::paint(painter, placed.ring, column.fraction, column.color,
                         Overview::ringLineWidth);
        drawText(painter, placed.figure, WidgetText::primary(palette));
        drawText(painter, placed.unit, WidgetText::secondary(palette));
        drawSymbol(painter, placed.symbol, column.systemImage, column.color);
        drawText(painter, placed.title, WidgetText::secondary(palette));
        Sparkline::paint(painter, placed.spark, column.spark, column.color,
                         Overview::sparkLineWidth);
    }
}

}  // namespace

QString widgetClockTime(AbsoluteTime date) {
    const auto since =
        std::chrono::duration_cast<std::chrono::milliseconds>(date.systemTime().time_since_epoch());
    const QTime time = QDateTime::fromMSecsSinceEpoch(since.count()).time();
    // Some locales' short format (C's among them) carries seconds, which would make the header
    // tick; the separator before them goes too.
    static const QRegularExpression seconds(QStringLiteral("[^Hhmap\\s]?s+"));
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(seconds);
    return locale.toString(time, format);
}

void paintVitalsWidget(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
                       const VitalsEntry& entry, const QPalette& palette) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (isMedium(kind)) {
        paintOverview(painter, rect, entry, palette);
    } else {
        paintSmall(painter, rect, kind, entry, palette);
    }
    painter.restore();
}

void paintWidgetBackground(QPainter& painter, const QRectF& rect, const QPalette& palette) {
    QColor edge = palette.color(QPalette::WindowText);
    edge.setAlphaF(edge.alphaF() * borderOpacity);
    paintRoundedPanel(
        painter, rect,
        {.cornerRadius = cornerRadius, .fill = palette.color(QPalette::Window), .edge = edge});
}

VitalsWidgetView::VitalsWidgetView(VitalsWidgetKind kind, QWidget* parent)
    : QWidget(parent), kind_(kind) {
    setFixedSize(widgetSize(kind));
    // The card's corners show whatever lies behind the widget.
    setAttribute(Qt::WA_TranslucentBackground);
}

void VitalsWidgetView::setEntry(const VitalsEntry& entry) {
    entry_ = entry;
    update();
}

void VitalsWidgetView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRectF whole = rect();
    paintWidgetBackground(painter, whole, palette());
    paintVitalsWidget(painter, whole, kind_, entry_, palette());
}

void VitalsWidgetView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::LocaleChange) {
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace vantric
