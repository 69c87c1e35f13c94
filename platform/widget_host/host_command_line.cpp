#include "platform/widget_host/host_command_line.hpp"

namespace vantric {

std::optional<HostCommandLine> parseHostCommandLine(const QStringList& arguments) {
    HostCommandLine command;
    bool modeGiven = false;
    const auto setMode = [&](HostCommandLine::Mode mode) {
        const bool first = !modeGiven;
        modeGiven = true;
        command.mode = mode;
        return first;
    };
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        const bool hasValue = index + 1 < arguments.size();
        if (argument == QStringLiteral("--list")) {
            if (!setMode(HostCommandLine::Mode::list)) {
                return std::nullopt;
            }
            continue;
        }
        if (!hasValue) {
            return std::nullopt;
        }
        const QString& value = arguments[++index];
        if (argument == QStringLiteral("--plugin") && !command.plugin) {
            command.plugin = value;
        } else if (argument == QStringLiteral("--out") && command.out.isEmpty()) {
            command.out = value;
        } else if ((argument == QStringLiteral("--add") && setMode(HostCommandLine::Mode::add)) ||
                   (argument == QStringLiteral("--remove") &&
                    setMode(HostCommandLine::Mode::remove)) ||
                   (argument == QStringLiteral("--render") &&
                    setMode(HostCommandLine::Mode::render))) {
            command.kind = value;
        } else {
            return std::nullopt;
        }
    }
    // --out belongs to --render, and --render needs it.
    if ((command.mode == HostCommandLine::Mode::render) == command.out.isEmpty()) {
        return std::nullopt;
    }
    return command;
}

std::optional<VitalsWidgetKind> kindFromArgument(const QString& argument) {
    const std::string text = argument.toStdString();
    if (const auto kind = widgetKindNamed(text)) {
        return kind;
    }
    return widgetKindForIdentifier(text);
}

}  // namespace vantric
