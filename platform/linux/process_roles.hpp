#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// Where a process stands among its ancestors, from /proc/PID/stat.
struct ProcessLineage {
    std::string_view name{};  // comm, at most 15 bytes; a view into the parsed text
    std::int32_t parent = 0;  // 0 for pid 1 and kthreadd
    std::int32_t session = 0;
    std::int64_t terminal = 0;  // tty_nr: the controlling terminal's device, 0 without one

    bool hasControllingTerminal() const { return terminal != 0; }
};

// The fields from the first '(' to the last ')' are the name, as in parseProcessStat; nothing
// when the line is cut short or a field used is not a number.
std::optional<ProcessLineage> parseProcessLineage(std::string_view statText);

// The roles that end the walk from a process to the application of an ancestor. Names are comm
// names: the kernel keeps the first 15 bytes of an executable's name, and the lists below are
// compared after the same cut.

// A terminal emulator: the programs run in it are the user's, not the terminal's.
bool isTerminalName(std::string_view comm);
// The desktop entry id of a terminal emulator known here.
bool isTerminalAppId(std::string_view appId);
// A remote, login or privilege session (sshd, login, su, sudo, tmux, screen).
bool isShellSessionName(std::string_view comm);
// The desktop shell, compositor or session manager, and the user's systemd manager: everything
// launched from them that is not in an application's own unit belongs to no application.
bool isDesktopShellName(std::string_view comm);

}  // namespace vantric
