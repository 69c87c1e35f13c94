#pragma once

#include <string>
#include <vector>

#include <QString>

#include "platform/widget_center.hpp"
#include "platform/widget_host/host_protocol.hpp"

namespace vantric {

// The widget centre of a Linux desktop: asks vantric-widget-host over its socket. Each call
// holds the caller at most hostAnswerBudgetMs, and returns at once when no host runs.
class SocketWidgetCenter final : public WidgetCenter {
public:
    explicit SocketWidgetCenter(QString socketPath = hostSocketPath());

    void reloadAllTimelines() override;
    std::vector<std::string> currentConfigurations() override;

private:
    QString socketPath_;
};

}  // namespace vantric
