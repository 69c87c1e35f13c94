#include "platform/linux/process_roles.hpp"

#include <algorithm>
#include <array>
#include <charconv>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// TASK_COMM_LEN less the terminating zero.
constexpr std::size_t commLength = 15;

struct KnownTerminal {
    std::string_view executable{};
    std::string_view appId{};
};

// Every terminal this program knows, by executable and by desktop entry id. The caller adds the
// ones its desktop entries call TerminalEmulator.
constexpr std::array<KnownTerminal, 26> knownTerminals{{
    {"gnome-terminal-server", "org.gnome.Terminal"},
    {"konsole", "org.kde.konsole"},
    {"yakuake", "org.kde.yakuake"},
    {"xterm", "xterm"},
    {"uxterm", "debian-uxterm"},
    {"kitty", "kitty"},
    {"alacritty", "Alacritty"},
    {"foot", "foot"},
    {"footclient", "footclient"},
    {"wezterm-gui", "org.wezfurlong.wezterm"},
    {"tilix", "com.gexperts.Tilix"},
    {"xfce4-terminal", "xfce4-terminal"},
    {"xfce4-terminal", "org.xfce.Terminal"},
    {"terminator", "terminator"},
    {"urxvt", "rxvt-unicode"},
    {"urxvtd", "urxvtd"},
    {"ptyxis", "org.gnome.Ptyxis"},
    {"ptyxis-agent", "org.gnome.Ptyxis"},
    {"kgx", "org.gnome.Console"},
    {"ghostty", "com.mitchellh.ghostty"},
    {"lxterminal", "lxterminal"},
    {"mate-terminal", "mate-terminal"},
    {"qterminal", "qterminal"},
    {"guake", "guake"},
    {"tilda", "tilda"},
    {"cool-retro-term", "cool-retro-term"},
}};

constexpr std::array<std::string_view, 10> shellSessions{
    "sshd", "sshd-session", "login",  "su",          "sudo",
    "doas", "screen",       "SCREEN", "mosh-server", "dropbear",
};

constexpr std::array<std::string_view, 21> desktopShells{
    "systemd",
    "gnome-shell",
    "gnome-session-binary",
    "plasmashell",
    "kwin_x11",
    "kwin_wayland",
    "ksmserver",
    "startplasma-wayland",
    "startplasma-x11",
    "xfce4-session",
    "xfce4-panel",
    "xfwm4",
    "cinnamon",
    "cinnamon-session",
    "muffin",
    "mutter",
    "mate-session",
    "mate-panel",
    "lxqt-session",
    "budgie-wm",
    "budgie-panel",
};

bool sameCommand(std::string_view comm, std::string_view executable) {
    return comm == executable.substr(0, commLength);
}

std::optional<std::int64_t> parseSigned(std::string_view token) {
    std::int64_t value = 0;
    const char* end = token.data() + token.size();
    const auto [stop, error] = std::from_chars(token.data(), end, value);
    if (token.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> parseIdentifier(std::string_view token) {
    const auto value = parseUnsigned(token);
    if (!value || *value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

}  // namespace

std::optional<ProcessLineage> parseProcessLineage(std::string_view statText) {
    const std::size_t open = statText.find('(');
    const std::size_t close = statText.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    std::string_view rest = statText.substr(close + 1);
    nextToken(rest);  // the state
    const auto parent = parseIdentifier(nextToken(rest));
    nextToken(rest);  // the process group
    const auto session = parseIdentifier(nextToken(rest));
    const auto terminal = parseSigned(nextToken(rest));
    if (!parent || !session || !terminal) {
        return std::nullopt;
    }
    return ProcessLineage{.name = statText.substr(open + 1, close - open - 1),
                          .parent = *parent,
                          .session = *session,
                          .terminal = *terminal};
}

bool isTerminalName(std::string_view comm) {
    return std::any_of(
        knownTerminals.begin(), knownTerminals.end(),
        [comm](const KnownTerminal& known) { return sameCommand(comm, known.executable); });
}

bool isTerminalAppId(std::string_view appId) {
    return std::any_of(knownTerminals.begin(), knownTerminals.end(),
                       [appId](const KnownTerminal& known) { return appId == known.appId; });
}

bool isShellSessionName(std::string_view comm) {
    // tmux names its server and clients "tmux: server" and "tmux: client".
    return comm.starts_with("tmux") ||
           std::any_of(shellSessions.begin(), shellSessions.end(),
                       [comm](std::string_view name) { return sameCommand(comm, name); });
}

bool isDesktopShellName(std::string_view comm) {
    return std::any_of(desktopShells.begin(), desktopShells.end(),
                       [comm](std::string_view name) { return sameCommand(comm, name); });
}

}  // namespace vantric
