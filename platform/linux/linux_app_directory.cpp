#include "platform/linux/linux_app_directory.hpp"

#include "platform/linux/desktop_entry.hpp"

namespace vantric {

LinuxAppDirectory::LinuxAppDirectory(Settings settings)
    : entries_(DesktopEntryIndex::Settings{.root = settings.root,
                                           .environment = settings.environment,
                                           .languages = std::move(settings.languages),
                                           .iconThemeName = std::move(settings.iconThemeName)}),
      resolver_(settings.root, [this](std::string_view appId) { return isTerminalEntry(appId); }) {}

LinuxAppDirectory::Settings LinuxAppDirectory::forThisSession(std::string iconThemeName) {
    return Settings{.root = "/",
                    .environment = processXdgEnvironment(),
                    .languages = messageLanguages(processLocaleEnvironment()),
                    .iconThemeName = std::move(iconThemeName)};
}

void LinuxAppDirectory::beginPass() {
    resolver_.beginBatch();
}

std::optional<DesktopApplication> LinuxAppDirectory::applicationOf(std::int32_t pid) {
    const std::optional<ApplicationOfProcess> application = resolver_.resolve(pid);
    if (!application) {
        return std::nullopt;
    }
    std::optional<DesktopEntry> entry = entries_.find(application->appId);
    if (!entry && !application->snapName.empty()) {
        entry = entries_.find(application->snapName);
    }
    DesktopApplication found{.id = application->appId, .name = application->appId};
    if (entry) {
        if (!entry->name.empty()) {
            found.name = entry->name;
        }
        if (!entry->icon.empty()) {
            found.iconName = entry->icon;
            if (const auto file = entries_.iconFile(entry->icon)) {
                found.iconPath = file->string();
            }
        }
    }
    return found;
}

bool LinuxAppDirectory::isTerminalEntry(std::string_view appId) {
    const std::optional<DesktopEntry> entry = entries_.find(appId);
    return entry && entry->terminalEmulator;
}

}  // namespace vantric
