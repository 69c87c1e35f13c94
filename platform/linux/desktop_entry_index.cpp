#include "platform/linux/desktop_entry_index.hpp"

#include <algorithm>
#include <utility>

#include "platform/linux/file_text.hpp"

namespace vantric {

namespace {

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

std::optional<std::filesystem::file_time_type> modifiedTime(const std::filesystem::path& folder) {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(folder, error);
    return error ? std::nullopt : std::optional(time);
}

}  // namespace

DesktopEntryIndex::DesktopEntryIndex(Settings settings)
    : settings_(std::move(settings)),
      folders_(applicationFolders(settings_.root, settings_.environment)),
      icons_(settings_.root, settings_.environment, settings_.iconThemeName) {}

std::optional<DesktopEntry> DesktopEntryIndex::find(std::string_view applicationId) {
    refreshWhenDue();
    const DesktopEntry* entry = findOnce(applicationId);
    const std::size_t underscore = applicationId.find('_');
    if (!entry && underscore != std::string_view::npos && underscore > 0) {
        entry = findOnce(applicationId.substr(0, underscore));
    }
    return entry ? std::optional(*entry) : std::nullopt;
}

std::optional<std::filesystem::path> DesktopEntryIndex::iconFile(std::string_view icon) {
    refreshWhenDue();
    return icons_.find(icon);
}

const DesktopEntry* DesktopEntryIndex::findOnce(std::string_view applicationId) const {
    const auto entryOf = [&](const std::string& id) -> const DesktopEntry* {
        const auto found = byId_.find(id);
        return found != byId_.end() && found->second ? &*found->second : nullptr;
    };
    if (const DesktopEntry* exact = entryOf(std::string(applicationId))) {
        return exact;
    }
    const std::string lower = asciiLower(applicationId);
    for (const auto* map : {&byLowerId_, &byLowerWmClass_}) {
        if (const auto found = map->find(lower); found != map->end()) {
            return entryOf(found->second);
        }
    }
    return nullptr;
}

void DesktopEntryIndex::refreshWhenDue() {
    const auto now = settings_.now();
    if (lastCheck_ && now - *lastCheck_ < settings_.recheck) {
        return;
    }
    const bool first = !lastCheck_;
    lastCheck_ = now;
    if (first || changed()) {
        read();
    }
}

bool DesktopEntryIndex::changed() const {
    return std::any_of(folderTimes_.begin(), folderTimes_.end(), [](const FolderTime& known) {
        return modifiedTime(known.folder) != known.modified;
    });
}

void DesktopEntryIndex::read() {
    folderTimes_.clear();
    byId_.clear();
    byLowerId_.clear();
    byLowerWmClass_.clear();
    icons_.forget();
    for (const auto& folder : folders_) {
        readFolder(folder);
    }
}

void DesktopEntryIndex::readFolder(const std::filesystem::path& folder) {
    // A missing folder is watched too: one made later (the first Flatpak installed) changes it.
    folderTimes_.push_back({.folder = folder, .modified = modifiedTime(folder)});
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(folder, error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code kindError;
        if (entry->is_directory(kindError)) {
            folderTimes_.push_back(
                {.folder = entry->path(), .modified = modifiedTime(entry->path())});
        } else if (entry->path().extension() == ".desktop") {
            files.push_back(entry->path());
        }
    }
    // Sorted, so that which of two files wins does not depend on the order of the directory.
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        const auto id = desktopFileId(file.lexically_relative(folder).generic_string());
        if (!id || byId_.contains(*id)) {
            continue;
        }
        const auto text = readFileText(file);
        auto entry = text ? parseDesktopEntry(*text, settings_.languages) : std::nullopt;
        if (entry && !entry->hidden) {
            entry->id = *id;
            byLowerId_.try_emplace(asciiLower(*id), *id);
            if (!entry->startupWmClass.empty()) {
                byLowerWmClass_.try_emplace(asciiLower(entry->startupWmClass), *id);
            }
        } else {
            entry.reset();
        }
        byId_.emplace(*id, std::move(entry));
    }
}

}  // namespace vantric
