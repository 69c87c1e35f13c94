#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// The kernel keeps a process's name (comm) in 16 bytes with the closing zero byte, so a longer
// name is cut at 15: "xdg-desktop-portal-gnome" and "xdg-desktop-portal-gtk" both read
// "xdg-desktop-por".
inline constexpr std::size_t longestComm = 15;

// The first argument of a /proc/PID/cmdline text: what comes before the first zero byte.
std::string_view firstArgument(std::string_view commandLine);

// The whole name of a process whose comm was cut: the file name of path when it is longer than
// comm and starts with it. exec sets comm from the file name it was given, so the executable's
// file name has it, or else argv[0]'s where the program was started through a link of another
// name (x-terminal-emulator). Nothing when comm was not cut or path does not continue it: a
// program may also name itself.
std::optional<std::string> uncutName(std::string_view comm, std::string_view path);

}  // namespace vantric
