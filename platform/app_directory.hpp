#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantric {

// An application as the desktop knows it: its id, the name and the icon its desktop entry gives.
struct DesktopApplication {
    std::string id{};                       // the desktop's application id, "org.mozilla.firefox"
    std::string name{};                     // the entry's name in the user's language, else the id
    std::optional<std::string> iconName{};  // the entry's Icon value: a theme name or a path
    std::optional<std::string> iconPath{};  // the image file the icon theme gives for it

    bool operator==(const DesktopApplication&) const = default;
};

// Which desktop application a process belongs to, by the desktop's own bookkeeping (on Linux
// the session's cgroups, sandboxes, and the processes' parents).
// Implemented by LinuxAppDirectory (platform/linux); NoAppDirectory knows no applications.
// Not thread-safe: the process sampler that owns it calls it from its own thread only.
class AppDirectory {
public:
    virtual ~AppDirectory() = default;

    // Called before the first question of each pass over the process table: what was learnt
    // about processes may be kept within one pass, never across passes, as identifiers are
    // reused.
    virtual void beginPass() {}

    // Nothing for a process that belongs to no application the desktop names.
    virtual std::optional<DesktopApplication> applicationOf(std::int32_t pid) = 0;
};

class NoAppDirectory final : public AppDirectory {
public:
    std::optional<DesktopApplication> applicationOf(std::int32_t /*pid*/) override {
        return std::nullopt;
    }
};

}  // namespace vantric
