#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

inline constexpr char hostUsageLine[] =
    "usage: vantric-widget-host [--plugin PATH] [--list | --add KIND | --remove KIND | "
    "--render KIND --out FILE.png]";

struct HostCommandLine {
    enum class Mode { host, list, add, remove, render };

    Mode mode = Mode::host;
    std::optional<QString> plugin{};  // the installed plug-in when absent
    QString kind{};                   // as given; see kindFromArgument
    QString out{};                    // --render's file
};

// The arguments after the program name; nullopt when they make no valid command.
std::optional<HostCommandLine> parseHostCommandLine(const QStringList& arguments);

// A raw value ("cpu") or a kind identifier ("org.vantric.Vantric.CPU").
std::optional<VitalsWidgetKind> kindFromArgument(const QString& argument);

}  // namespace vantric
