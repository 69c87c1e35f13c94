#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// What said which application a process belongs to.
enum class ApplicationEvidence { cgroupUnit, flatpakInfo, snapPath, appImagePath, program };

// The application a process belongs to, named as the desktop names it: the id of its desktop
// entry ("org.gnome.Nautilus"; "firefox_firefox" for a snap's), or an AppImage's file name. The
// caller's group key is "app:" + appId.
struct ApplicationOfProcess {
    std::string appId{};
    std::string snapName{};  // the snap the process runs from; empty for anything else
    ApplicationEvidence via = ApplicationEvidence::cgroupUnit;
    std::int32_t witness = 0;  // the process whose files said so: itself or an ancestor
};

// systemd writes bytes that are not allowed in a unit name, "-" inside an id among them, as
// "\xNN"; this undoes it. A "\x" without two hex digits after it is kept as it is.
std::string unescapeUnitName(std::string_view escaped);

// The path of the "0::" line of /proc/PID/cgroup (the unified hierarchy); nothing on a machine
// with cgroup v1 alone.
std::optional<std::string_view> unifiedCgroupPath(std::string_view cgroupText);

// One cgroup path component -> the application it is a unit of, by the desktops' naming:
//   app-[<launcher>-]<app id>-<random>.scope   (flatpak: launcher "flatpak")
//   app-[<launcher>-]<app id>[@<instance>].service
//   app-[<launcher>-]<app id>.slice            (also "app-dbus-:1.N-<app id>.slice")
//   snap.<name>.<app>-<uuid>.scope             (id "<name>_<app>", as the snap's desktop file)
// Nothing for any other unit (session-2.scope, user@1000.service, app.slice, a snap's hook).
std::optional<ApplicationOfProcess> applicationOfUnit(std::string_view component);

// A cgroup path -> the application of its deepest application unit. A terminal's per-tab scope
// (vte-spawn-*.scope) below the terminal's own slice says the process is not the terminal's, so
// it gives nothing.
std::optional<ApplicationOfProcess> applicationOfCgroup(std::string_view path);

// The text of a sandbox's /.flatpak-info -> the name= of its [Application] section.
std::optional<std::string> flatpakApplicationName(std::string_view flatpakInfo);

// An executable under /snap/<name>/<revision>/ -> that snap. The base and system snaps (core*,
// snapd, bare) run helpers of every snap and give nothing.
std::optional<ApplicationOfProcess> snapOfExecutable(std::string_view path);

// An executable inside a mounted AppImage, <tmp>/.mount_<Name><6 random characters>/... -> the
// <Name>, which the AppImage runtime cuts to the first few characters of the file's name.
std::optional<std::string_view> appImageMountName(std::string_view path);

// The path of an AppImage file ($APPIMAGE) -> its name without the folder and ".AppImage".
std::string_view appImageName(std::string_view appImagePath);

// The value of name in /proc/PID/environ (NUL-separated NAME=value entries).
std::optional<std::string_view> environmentValue(std::string_view environment,
                                                 std::string_view name);

}  // namespace vantric
