#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QRectF>
#include <QSize>
#include <QString>
#include <QtPlugin>

#include "widgets/views/absolute_time.hpp"
#include "widgets/views/vitals_entry.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

class QPainter;

namespace vantric {

// One widget a bundle offers in the host's gallery.
struct WidgetDescription {
    VitalsWidgetKind kind = VitalsWidgetKind::cpu;
    std::string identifier{};  // kindIdentifier(kind), the widget's stable identity
    QString name{};
    QString description{};
    QSize size{};   // the whole widget, padding included
    QString url{};  // opened when the widget is clicked
};

// The gallery entry of one of the four widgets, from the constants both programs share.
inline WidgetDescription describeWidget(VitalsWidgetKind kind) {
    return WidgetDescription{.kind = kind,
                             .identifier = kindIdentifier(kind),
                             .name = widgetName(kind),
                             .description = widgetDescription(kind),
                             .size = widgetSize(kind),
                             .url = deepLink(kind)};
}

// What a host shows, and when it is to ask again: entries in date order, and the reload date.
struct Timeline {
    std::vector<VitalsEntry> entries{};
    AbsoluteTime reloadAfter{};
};

// The widget plug-in as a widget host sees it: a versioned Qt plug-in interface, so that a host
// refuses a plug-in built against another form of it.
//
// Requests may come from any thread. Each completion is called exactly once, on a thread of the
// bundle's own (never the caller's), so a host hands the result to its own thread itself.
// Requests that arrive together share one measurement.
class WidgetBundle {
public:
    virtual ~WidgetBundle() = default;

    // The four widgets, in gallery order.
    virtual std::vector<WidgetDescription> widgets() const = 0;
    // Returns at once and samples nothing: what to show before the first timeline arrives.
    virtual VitalsEntry placeholder(VitalsWidgetKind kind) = 0;
    virtual void snapshot(VitalsWidgetKind kind, std::function<void(VitalsEntry)> completion) = 0;
    virtual void timeline(VitalsWidgetKind kind, std::function<void(Timeline)> completion) = 0;
    // Draws entry as kind's widget over rect (the whole widget, background included). GUI
    // thread only.
    virtual void paint(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
                       const VitalsEntry& entry) const = 0;
};

}  // namespace vantric

#define VantricWidgetBundle_iid "org.vantric.Vantric.WidgetBundle/1"
Q_DECLARE_INTERFACE(vantric::WidgetBundle, VantricWidgetBundle_iid)
