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
// session's cgroups, Flatpak, Snap and AppImage, the process's parents, then the desktop entry
// that starts its program), and its name and icon from the desktop entries (DesktopEntryIndex).
// An application with no entry shows its id. The caller's own programs (Vantric's window and its
// widget host, which has no entry of its own) count as its own application.
//
// Desktop-entry categories tell terminals the built-in list does not know, so the children of
// any terminal are counted as the user's, not the terminal's.
// Not thread-safe: owned by the process sampler, on its thread.
class LinuxAppDirectory final : public AppDirectory {
public:
    struct Settings {
        std::filesystem::path root = "/";
        XdgEnvironment environment{};
        std::vector<std::string> languages{};       // messageLanguages(...)
        std::string iconThemeName{};                // the desktop's icon theme; hicolor follows it
        std::vector<std::string> programFolders{};  // PATH's folders, where entries' programs are
        std::string ownApplicationId{};             // the caller's own desktop id
        std::vector<std::string> ownPrograms{};     // and the paths of the programs that are it
    };

    explicit LinuxAppDirectory(Settings settings);
    // The running process's own environment, the given icon theme and own programs.
    static Settings forThisSession(std::string iconThemeName, std::string ownApplicationId,
                                   std::vector<std::string> ownPrograms);

    void beginPass() override;
    std::optional<DesktopApplication> applicationOf(std::int32_t pid) override;

private:
    bool isTerminalEntry(std::string_view appId);
    std::optional<std::string> applicationOfProgram(std::string_view program);

    std::string ownApplicationId_;
    std::vector<std::string> ownPrograms_;
    DesktopEntryIndex entries_;
    LinuxAppResolver resolver_;
};

}  // namespace vantric
