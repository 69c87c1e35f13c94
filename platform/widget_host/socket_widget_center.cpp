#include "platform/widget_host/socket_widget_center.hpp"

#include <utility>

#include "platform/widget_host/host_client.hpp"

namespace vantric {

SocketWidgetCenter::SocketWidgetCenter(QString socketPath) : socketPath_(std::move(socketPath)) {}

void SocketWidgetCenter::reloadAllTimelines() {
    static_cast<void>(askHost(socketPath_, HostRequest::reload));
}

std::vector<std::string> SocketWidgetCenter::currentConfigurations() {
    const auto reply = askHost(socketPath_, HostRequest::configurations);
    if (!reply) {
        return {};
    }
    return parseConfigurationsReply(*reply).value_or(std::vector<std::string>{});
}

}  // namespace vantric
