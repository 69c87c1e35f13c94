#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/app_directory.hpp"
#include "platform/linux/desktop_entry_index.hpp"
#include "platform/linux/linux_app_resolver.hpp"
#include "platform/linux/xdg_data_folders.hpp"

namespace vantric {

// The desktop's applications on Linux: which one a process belongs to (LinuxAppResolver: the
// session's cgroups, Flatpak, Snap and AppImage, then the process's parents), and its name and
// icon from the desktop entries (DesktopEntryIndex). An application with no entry shows its id.
//
// Desktop-entry categories tell terminals the built-in list does not know, so the children of
// any terminal are counted as the user's, not the terminal's.
// Not thread-safe: owned by the process sampler, on its thread.
class LinuxAppDirectory final : public AppDirectory {
public:
    struct Settings {
        std::filesystem::path root = "/";
        XdgEnvironment environment{};
        std::vector<std::string> languages{};  // messageLanguages(...)
        std::string iconThemeName{};           // the desktop's icon theme; hicolor follows it
    };

    explicit LinuxAppDirectory(Settings settings);
    // The running process's own environment and the given icon theme.
    static Settings forThisSession(std::string iconThemeName);

    void beginPass() override;
    std::optional<DesktopApplication> applicationOf(std::int32_t pid) override;

private:
    bool isTerminalEntry(std::string_view appId);

    DesktopEntryIndex entries_;
    LinuxAppResolver resolver_;
};

}  // namespace vantric
