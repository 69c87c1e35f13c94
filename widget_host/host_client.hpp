#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QString>

#include "widget_host/host_protocol.hpp"

namespace vantric {

// Longest the host may take to answer a request, connecting included. A host that takes longer
// counts as none.
inline constexpr int hostAnswerBudgetMs = 250;

// Sends one request to the host listening on socketPath and returns its reply line, without the
// newline; nullopt when no host listens there, it is another user's, or it does not answer
// within the budget. Blocks, for the command line; a window asks with askHostLater.
std::optional<QByteArray> askHost(const QString& socketPath, HostRequest request);

using HostReply = std::function<void(const std::optional<QByteArray>&)>;

// The same request without blocking: returns at once, and reply gets what askHost would return,
// once, from the calling thread's event loop (never before askHostLater returns).
void askHostLater(const QString& socketPath, HostRequest request, HostReply reply);

}  // namespace vantric
