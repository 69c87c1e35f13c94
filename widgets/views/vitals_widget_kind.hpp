#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <QSize>
#include <QString>

namespace vantric {

// The application's one identifier. It is the prefix of the widget kind identifiers, which the
// application and the plug-in both take from here and the widget host stores, and the desktop's
// id for it: the desktop entry, the AppStream metainfo and the icon are named after it, and the
// window and the widget host's windows carry it, so that the desktop, and Vantric's own lists,
// show both programs as the one application.
inline constexpr std::string_view applicationIdentifier = "org.vantric.Vantric";

// The four desktop widgets.
enum class VitalsWidgetKind { cpu, memory, gpu, overview };

inline constexpr std::array<VitalsWidgetKind, 4> allWidgetKinds{
    VitalsWidgetKind::cpu, VitalsWidgetKind::memory, VitalsWidgetKind::gpu,
    VitalsWidgetKind::overview};

// "cpu", "memory", "gpu", "overview".
std::string_view rawValue(VitalsWidgetKind kind);
std::optional<VitalsWidgetKind> widgetKindNamed(std::string_view raw);

// Where a click on the widget leads: "vantric://" and the raw value.
QString deepLink(VitalsWidgetKind kind);

// The kind's identity towards the widget host: the application identifier and ".CPU", ".Memory",
// ".GPU" or ".Overview".
std::string kindIdentifier(VitalsWidgetKind kind);
std::optional<VitalsWidgetKind> widgetKindForIdentifier(std::string_view identifier);

// The name and description the widget gallery and the Widgets page show.
QString widgetName(VitalsWidgetKind kind);
QString widgetDescription(VitalsWidgetKind kind);

// The overview is the medium widget; the other three are small.
bool isMedium(VitalsWidgetKind kind);
// The widget's whole size, its 16 px padding included: 164 x 164 small, 344 x 164 medium.
QSize widgetSize(VitalsWidgetKind kind);

}  // namespace vantric
