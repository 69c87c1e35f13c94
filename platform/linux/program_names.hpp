#pragma once

#include <optional>
#include <string_view>

namespace vantric {

// Programs as desktop entries and command lines name them, for telling which application a
// process runs.

// The last component of a path ("/usr/bin/meld" -> "meld"); the path itself without a slash.
std::string_view fileNameOf(std::string_view path);

// A program that runs another one named on its command line: an interpreter or runtime
// (python3.11, perl, node, java, sh, bash, ruby, gjs, electron25, flatpak-spawn, ...). The
// application is the script or jar it runs, not the interpreter. A version after the name
// (python3.11, lua5.4, electron25) is the same program.
bool isInterpreterName(std::string_view fileName);

// A program that only hands over to another one (env, sh -c, xdg-open, gtk-launch, flatpak run,
// snap): a desktop entry that starts one says nothing about which process is its application.
bool isGenericLauncherName(std::string_view fileName);

// The script an interpreter runs, from its /proc/PID/cmdline: the first argument after the
// program's own that is not an option ("-u", "--inspect"). Nothing when there is none, or when
// the program was given code to run ("-c", "-e", "-m": a module or a command line, no file).
std::optional<std::string_view> scriptArgument(std::string_view commandLine);

}  // namespace vantric
