#pragma once

#include <QObject>

#include "widgets/extension/vitals_provider.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// The widget plug-in: the bundle of the four Vantric widgets, answered by one provider over the
// shared reader. Loaded by a widget host with QPluginLoader; the host owns the instance.
class VantricWidgetPlugin : public QObject, public WidgetBundle {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VantricWidgetBundle_iid FILE "vantric_widget.json")
    Q_INTERFACES(vantric::WidgetBundle)

public:
    VantricWidgetPlugin();

    std::vector<WidgetDescription> widgets() const override;
    VitalsEntry placeholder(VitalsWidgetKind kind) override;
    void snapshot(VitalsWidgetKind kind, std::function<void(VitalsEntry)> completion) override;
    void timeline(VitalsWidgetKind kind, std::function<void(Timeline)> completion) override;
    void paint(QPainter& painter, const QRectF& rect, VitalsWidgetKind kind,
               const VitalsEntry& entry) const override;

private:
    VitalsProvider provider_;
};

}  // namespace vantric
