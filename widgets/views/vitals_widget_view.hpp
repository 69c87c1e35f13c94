#pragma once

#include <QPalette>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "widgets/views/vitals_entry.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

class QPainter;

namespace vantric {

// The clock time of date in the default locale's short format, hours and minutes.
QString widgetClockTime(AbsoluteTime date);

// Draws the content of a kind widget for entry over rect, the whole widget: the padding is
// applied here, the background is not drawn. Text takes its colours from palette's window text
// and numbers their symbols from the default locale. Used by the window's widget gallery and by
// the widget plug-in, which paint without a QWidget of their own.
void paintVitalsWidget(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
                       const VitalsEntry& entry, const QPalette& palette);

// The widget's rounded card: palette's window colour with a faint inner border in its text
// colour. Any shadow is the caller's to draw.
void paintWidgetBackground(QPainter& painter, const QRectF& rect, const QPalette& palette);

// One desktop widget as a fixed-size QWidget, background and content. GUI thread only.
class VitalsWidgetView : public QWidget {
public:
    explicit VitalsWidgetView(VitalsWidgetKind kind, QWidget* parent = nullptr);

    void setEntry(const VitalsEntry& entry);
    const VitalsEntry& entry() const { return entry_; }
    VitalsWidgetKind kind() const { return kind_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    VitalsWidgetKind kind_;
    VitalsEntry entry_{};
};

}  // namespace vantric
