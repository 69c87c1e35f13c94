#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "widget_host/backend_choice.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

namespace vantric {

struct HostCommandLine {
    enum class Mode { host, list, add, remove, render, help, version };

    Mode mode = Mode::host;
    std::optional<QString> plugin{};       // the installed plug-in when absent
    QString kind{};                        // as given; see kindFromArgument
    QString out{};                         // --render's file
    std::optional<DisplayKind> backend{};  // the host's display, forced; chosen when absent
};

// The command, or what is wrong with the arguments, naming the option at fault.
struct ParsedHostCommandLine {
    std::optional<HostCommandLine> command{};
    QString problem{};  // empty when there is a command

    explicit operator bool() const { return command.has_value(); }
    const HostCommandLine* operator->() const { return &*command; }
};

// The arguments after the program name. --help or --version, wherever it comes, asks for that
// alone.
ParsedHostCommandLine parseHostCommandLine(const QStringList& arguments);

// A raw value ("cpu") or a kind identifier ("org.vantric.Vantric.CPU").
std::optional<VitalsWidgetKind> kindFromArgument(const QString& argument);

}  // namespace vantric
