#include "platform/linux/linux_app_directory.hpp"

#include <algorithm>

#include "platform/linux/desktop_entry.hpp"
#include "platform/linux/key_file.hpp"

namespace vantric {

LinuxAppDirectory::LinuxAppDirectory(Settings settings)
    : ownApplicationId_(std::move(settings.ownApplicationId)),
      ownPrograms_(std::move(settings.ownPrograms)),
      entries_(DesktopEntryIndex::Settings{.root = settings.root,
                                           .environment = settings.environment,
                                           .languages = std::move(settings.languages),
                                           .iconThemeName = std::move(settings.iconThemeName),
                                           .programFolders = std::move(settings.programFolders)}),
      resolver_(
          settings.root, [this](std::string_view appId) { return isTerminalEntry(appId); },
          [this](std::string_view program) { return applicationOfProgram(program); }) {}

LinuxAppDirectory::Settings LinuxAppDirectory::forThisSession(
    std::string iconThemeName, std::string ownApplicationId, std::vector<std::string> ownPrograms) {
    std::vector<std::string> folders;
    const std::string path = processEnvironmentValue("PATH");
    for (const std::string_view folder : keyFileList(path, ':')) {
        folders.emplace_back(folder);
    }
    return Settings{.root = "/",
                    .environment = processXdgEnvironment(),
                    .languages = messageLanguages(processLocaleEnvironment()),
                    .iconThemeName = std::move(iconThemeName),
                    .programFolders = std::move(folders),
                    .ownApplicationId = std::move(ownApplicationId),
                    .ownPrograms = std::move(ownPrograms)};
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

std::optional<std::string> LinuxAppDirectory::applicationOfProgram(std::string_view program) {
    if (std::find(ownPrograms_.begin(), ownPrograms_.end(), program) != ownPrograms_.end()) {
        return ownApplicationId_;
    }
    return entries_.applicationOfProgram(program);
}

bool LinuxAppDirectory::isTerminalEntry(std::string_view appId) {
    const std::optional<DesktopEntry> entry = entries_.find(appId);
    return entry && entry->terminalEmulator;
}

}  // namespace vantric
