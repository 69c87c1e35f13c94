#include "widget_host/socket_widget_center.hpp"

#include <utility>

#include "widget_host/host_client.hpp"

namespace vantric {

SocketWidgetCenter::SocketWidgetCenter(QString socketPath) : socketPath_(std::move(socketPath)) {}

void SocketWidgetCenter::reloadAllTimelines() {
    askHostLater(socketPath_, HostRequest::reload, [](const std::optional<QByteArray>&) {});
}

void SocketWidgetCenter::requestConfigurations(ConfigurationsAnswer answer) {
    askHostLater(socketPath_, HostRequest::configurations,
                 [answer = std::move(answer)](const std::optional<QByteArray>& reply) {
                     answer(reply ? parseConfigurationsReply(*reply).value_or(Configurations{})
                                  : Configurations{});
                 });
}

}  // namespace vantric
