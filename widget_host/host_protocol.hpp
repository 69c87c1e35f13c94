#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>

namespace vantric {

// What the application and vantric-widget-host say to each other over the host's socket: one
// request line, one reply line.
//   "reload"          every placed widget asks for a fresh timeline; reply "ok"
//   "configurations"  reply: a JSON array of each placed widget's kind identifier, in placement
//                     order, a kind placed twice listed twice
//   "placements"      the placed widgets changed on disk and are to be read again; reply "ok"
enum class HostRequest { reload, configurations, placements };

// In the user's private runtime folder (see privateRuntimeFolder).
QString hostSocketPath(const QString& folder);
// Held by the running host, so that a second one can tell it is not needed.
QString hostLockPath(const QString& folder);

QByteArray requestLine(HostRequest request);
// nullopt for a line that is no request.
std::optional<HostRequest> parseHostRequest(const QString& line);

inline constexpr char okReply[] = "ok";
QByteArray configurationsReply(const std::vector<std::string>& identifiers);
// nullopt unless line is a JSON array of strings.
std::optional<std::vector<std::string>> parseConfigurationsReply(const QByteArray& line);

}  // namespace vantric
