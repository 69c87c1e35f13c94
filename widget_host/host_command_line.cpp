#include "widget_host/host_command_line.hpp"

#include <utility>

namespace vantric {

namespace {

ParsedHostCommandLine refused(const QString& problem) {
    return ParsedHostCommandLine{.command = std::nullopt, .problem = problem};
}

}  // namespace

ParsedHostCommandLine parseHostCommandLine(const QStringList& arguments) {
    using Mode = HostCommandLine::Mode;
    for (const QString& argument : arguments) {
        if (argument == QStringLiteral("--help") || argument == QStringLiteral("--version")) {
            return ParsedHostCommandLine{
                .command = HostCommandLine{
                    .mode = argument == QStringLiteral("--help") ? Mode::help : Mode::version}};
        }
    }
    HostCommandLine command;
    bool modeGiven = false;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        const std::optional<Mode> mode =
            argument == QStringLiteral("--list")     ? std::optional(Mode::list)
            : argument == QStringLiteral("--add")    ? std::optional(Mode::add)
            : argument == QStringLiteral("--remove") ? std::optional(Mode::remove)
            : argument == QStringLiteral("--render") ? std::optional(Mode::render)
                                                     : std::nullopt;
        const bool takesValue = mode != Mode::list;
        if (!mode && argument != QStringLiteral("--plugin") &&
            argument != QStringLiteral("--out") && argument != QStringLiteral("--backend")) {
            return refused(QStringLiteral("unknown option \"%1\"").arg(argument));
        }
        if (takesValue && index + 1 >= arguments.size()) {
            return refused(QStringLiteral("%1 needs a value").arg(argument));
        }
        const QString value = takesValue ? arguments[++index] : QString();
        if (mode) {
            if (std::exchange(modeGiven, true)) {
                return refused(QStringLiteral("%1: only one of --list, --add, --remove and "
                                              "--render at a time")
                                   .arg(argument));
            }
            command.mode = *mode;
            command.kind = value;
        } else if (argument == QStringLiteral("--plugin")) {
            if (std::exchange(command.plugin, value)) {
                return refused(QStringLiteral("--plugin is given twice"));
            }
        } else if (argument == QStringLiteral("--backend")) {
            const auto kind = displayKindNamed(value);
            if (!kind) {
                return refused(
                    QStringLiteral("--backend is layer-shell or x11, not \"%1\"").arg(value));
            }
            if (std::exchange(command.backend, kind)) {
                return refused(QStringLiteral("--backend is given twice"));
            }
        } else if (!std::exchange(command.out, value).isEmpty()) {
            return refused(QStringLiteral("--out is given twice"));
        }
    }
    // --out belongs to --render, and --render needs it.
    if ((command.mode == Mode::render) == command.out.isEmpty()) {
        return refused(command.out.isEmpty() ? QStringLiteral("--render needs --out FILE.png")
                                             : QStringLiteral("--out goes only with --render"));
    }
    if (command.backend && command.mode != Mode::host) {
        return refused(QStringLiteral("--backend goes only with running the host"));
    }
    return ParsedHostCommandLine{.command = command, .problem = {}};
}

std::optional<VitalsWidgetKind> kindFromArgument(const QString& argument) {
    const std::string text = argument.toStdString();
    if (const auto kind = widgetKindNamed(text)) {
        return kind;
    }
    return widgetKindForIdentifier(text);
}

}  // namespace vantric
