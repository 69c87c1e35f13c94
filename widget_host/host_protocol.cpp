#include "widget_host/host_protocol.hpp"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

namespace vantric {

QString hostSocketPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("vantric-widget-host.socket"));
}

QString hostLockPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("vantric-widget-host.lock"));
}

QByteArray requestLine(HostRequest request) {
    switch (request) {
    case HostRequest::reload: return QByteArrayLiteral("reload");
    case HostRequest::configurations: return QByteArrayLiteral("configurations");
    case HostRequest::placements: return QByteArrayLiteral("placements");
    }
    return {};
}

std::optional<HostRequest> parseHostRequest(const QString& line) {
    for (const HostRequest request :
         {HostRequest::reload, HostRequest::configurations, HostRequest::placements}) {
        if (line == QLatin1String(requestLine(request))) {
            return request;
        }
    }
    return std::nullopt;
}

QByteArray configurationsReply(const std::vector<std::string>& identifiers) {
    QJsonArray array;
    for (const std::string& identifier : identifiers) {
        array.append(QString::fromStdString(identifier));
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<std::string>> parseConfigurationsReply(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        return std::nullopt;
    }
    std::vector<std::string> identifiers;
    for (const auto& value : document.array()) {
        if (!value.isString()) {
            return std::nullopt;
        }
        identifiers.push_back(value.toString().toStdString());
    }
    return identifiers;
}

}  // namespace vantric
