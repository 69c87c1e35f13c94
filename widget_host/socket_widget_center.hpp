#pragma once

#include <QString>

#include "platform/widget_center.hpp"
#include "widget_host/host_protocol.hpp"

namespace vantric {

// The widget centre of a Linux desktop: asks vantric-widget-host over its socket, without
// blocking (see askHostLater). Lives on the thread whose event loop answers, the main thread.
class SocketWidgetCenter final : public WidgetCenter {
public:
    explicit SocketWidgetCenter(QString socketPath);

    void reloadAllTimelines() override;
    void requestConfigurations(ConfigurationsAnswer answer) override;

private:
    QString socketPath_;
};

}  // namespace vantric
