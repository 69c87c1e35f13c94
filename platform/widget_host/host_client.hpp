#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "platform/widget_host/host_protocol.hpp"

namespace vantric {

// Longest a request to the widget host may hold its caller, connecting included. A host that
// takes longer counts as none, so the application's main thread never waits for it.
inline constexpr int hostAnswerBudgetMs = 250;

// Sends one request to the host listening on socketPath and returns its reply line, without the
// newline; nullopt when no host listens there or it does not answer within the budget. Blocks.
std::optional<QByteArray> askHost(const QString& socketPath, HostRequest request);

}  // namespace vantric
