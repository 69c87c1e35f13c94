#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

std::string_view rawValue(VitalsWidgetKind kind) {
    switch (kind) {
    case VitalsWidgetKind::cpu: return "cpu";
    case VitalsWidgetKind::memory: return "memory";
    case VitalsWidgetKind::gpu: return "gpu";
    case VitalsWidgetKind::overview: return "overview";
    }
    return "cpu";
}

std::optional<VitalsWidgetKind> widgetKindNamed(std::string_view raw) {
    for (const VitalsWidgetKind kind : allWidgetKinds) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

QString deepLink(VitalsWidgetKind kind) {
    return QStringLiteral("vantric://") +
           QString::fromUtf8(rawValue(kind).data(), static_cast<qsizetype>(rawValue(kind).size()));
}

std::string kindIdentifier(VitalsWidgetKind kind) {
    const char* suffix = ".CPU";
    switch (kind) {
    case VitalsWidgetKind::cpu: suffix = ".CPU"; break;
    case VitalsWidgetKind::memory: suffix = ".Memory"; break;
    case VitalsWidgetKind::gpu: suffix = ".GPU"; break;
    case VitalsWidgetKind::overview: suffix = ".Overview"; break;
    }
    return std::string(applicationIdentifier) + suffix;
}

std::optional<VitalsWidgetKind> widgetKindForIdentifier(std::string_view identifier) {
    for (const VitalsWidgetKind kind : allWidgetKinds) {
        if (kindIdentifier(kind) == identifier) {
            return kind;
        }
    }
    return std::nullopt;
}

QString widgetName(VitalsWidgetKind kind) {
    switch (kind) {
    case VitalsWidgetKind::cpu: return QStringLiteral("CPU");
    case VitalsWidgetKind::memory: return QStringLiteral("Memory");
    case VitalsWidgetKind::gpu: return QStringLiteral("GPU");
    case VitalsWidgetKind::overview: return QStringLiteral("Overview");
    }
    return {};
}

QString widgetDescription(VitalsWidgetKind kind) {
    switch (kind) {
    case VitalsWidgetKind::cpu:
        return QStringLiteral(
            "CPU load, split into user and system, with the last hour as a graph.");
    case VitalsWidgetKind::memory:
        return QStringLiteral("Memory in use and memory pressure, with the last hour as a graph.");
    case VitalsWidgetKind::gpu:
        return QStringLiteral(
            "GPU load and the memory it is using, with the last hour as a graph.");
    case VitalsWidgetKind::overview: return QStringLiteral("CPU, memory and GPU side by side.");
    }
    return {};
}

bool isMedium(VitalsWidgetKind kind) {
    return kind == VitalsWidgetKind::overview;
}

QSize widgetSize(VitalsWidgetKind kind) {
    return isMedium(kind) ? QSize(344, 164) : QSize(164, 164);
}

}  // namespace vantric
