#include "widgets/extension/vantric_widget_plugin.hpp"

#include <QApplication>
#include <QPainter>

#include "widgets/views/vitals_widget_view.hpp"

namespace vantric {

VantricWidgetPlugin::VantricWidgetPlugin() : provider_(VitalsReader::shared()) {}

std::vector<WidgetDescription> VantricWidgetPlugin::widgets() const {
    std::vector<WidgetDescription> offered;
    for (const VitalsWidgetKind kind : allWidgetKinds) {
        offered.push_back(describeWidget(kind));
    }
    return offered;
}

// Every widget draws from the same reading, so the kind changes nothing before the drawing.
VitalsEntry VantricWidgetPlugin::placeholder(VitalsWidgetKind /*kind*/) {
    return VitalsProvider::placeholder();
}

void VantricWidgetPlugin::snapshot(VitalsWidgetKind /*kind*/,
                                   std::function<void(VitalsEntry)> completion) {
    provider_.snapshot(std::move(completion));
}

void VantricWidgetPlugin::timeline(VitalsWidgetKind /*kind*/,
                                   std::function<void(Timeline)> completion) {
    provider_.timeline(std::move(completion));
}

void VantricWidgetPlugin::paint(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
                                const VitalsEntry& entry) const {
    const QPalette palette = QApplication::palette();
    paintWidgetBackground(painter, rect, palette);
    paintVitalsWidget(painter, rect, kind, entry, palette);
}

}  // namespace vantric
