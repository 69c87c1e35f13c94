#include "platform/linux/desktop_entry_index.hpp"

#include <algorithm>
#include <utility>

#include "platform/linux/file_text.hpp"
#include "platform/linux/program_names.hpp"

namespace vantric {

namespace {

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

// How many links a path may pass through, as the kernel allows (MAXSYMLINKS).
constexpr int mostLinks = 40;

// An absolute path as the file it finally names under root: every link on the way followed, an
// absolute target counted from root as it would be from "/". Nothing when it names no file, or
// passes too many links.
std::optional<std::string> resolvedUnderRoot(const std::filesystem::path& root,
                                             std::string_view path) {
    std::vector<std::string> pending;  // the components still to walk, the next one last
    const auto push = [&pending](std::string_view components) {
        std::vector<std::string> parts;
        for (std::size_t start = 0; start <= components.size();) {
            const std::size_t end = std::min(components.find('/', start), components.size());
            if (end > start) {
                parts.emplace_back(components.substr(start, end - start));
            }
            start = end + 1;
        }
        pending.insert(pending.end(), parts.rbegin(), parts.rend());
    };
    push(path);
    std::string resolved;
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == ".") {
            continue;
        }
        if (part == "..") {
            resolved.resize(resolved.rfind('/') == std::string::npos ? 0 : resolved.rfind('/'));
            continue;
        }
        std::string candidate = resolved;
        candidate.append("/").append(part);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(root / candidate.substr(1), error);
        if (error || !std::filesystem::exists(status)) {
            return std::nullopt;
        }
        if (!std::filesystem::is_symlink(status)) {
            resolved = candidate;
            continue;
        }
        const auto target = std::filesystem::read_symlink(root / candidate.substr(1), error);
        if (error || ++links > mostLinks) {
            return std::nullopt;
        }
        if (target.is_absolute()) {
            resolved.clear();
        }
        push(target.generic_string());
    }
    return resolved.empty() ? std::string("/") : resolved;
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

std::optional<std::string> DesktopEntryIndex::applicationOfProgram(std::string_view program) {
    refreshWhenDue();
    const std::string asked(program);
    if (const auto known = answers_.find(asked); known != answers_.end()) {
        return known->second;
    }
    // Bounded, for a machine that runs new programs all day.
    constexpr std::size_t mostAnswers = 4096;
    if (answers_.size() >= mostAnswers) {
        answers_.clear();
    }
    // A program whose file has gone (replaced by an upgrade) is looked up as it was named.
    const std::string path = programPath(program).value_or(asked);
    std::optional<std::string> answer;
    if (const auto found = byProgram_.find(path); found != byProgram_.end()) {
        answer = found->second.id;
    } else if (const DesktopEntry* named = findOnce(fileNameOf(program))) {
        answer = named->id;
    }
    return answers_.emplace(asked, std::move(answer)).first->second;
}

std::optional<std::string> DesktopEntryIndex::programPath(std::string_view program) const {
    if (program.starts_with('/')) {
        return resolvedUnderRoot(settings_.root, program);
    }
    if (program.empty() || program.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    for (const std::string& folder : settings_.programFolders) {
        if (folder.starts_with('/')) {
            if (auto found =
                    resolvedUnderRoot(settings_.root, folder + "/" + std::string(program))) {
                return found;
            }
        }
    }
    return std::nullopt;
}

void DesktopEntryIndex::indexPrograms(const DesktopEntry& entry) {
    const auto claim = [&](const std::string& path) {
        const bool named =
            asciiLower(entry.id).find(asciiLower(fileNameOf(path))) != std::string::npos;
        const ProgramClaim candidate{.id = entry.id,
                                     .rank = (named ? 2 : 0) + (entry.programWithOptions ? 0 : 1)};
        const auto [kept, added] = byProgram_.try_emplace(path, candidate);
        // Entries come in the folders' order: a later one wins only by rank.
        if (!added && candidate.rank > kept->second.rank) {
            kept->second = candidate;
        }
    };
    if (!entry.tryExec.empty()) {
        const auto installed = programPath(entry.tryExec);
        if (!installed) {
            return;
        }
        claim(*installed);
    }
    if (!entry.program.empty() && !isGenericLauncherName(fileNameOf(entry.program))) {
        if (const auto path = programPath(entry.program)) {
            claim(*path);
        }
    }
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
    byProgram_.clear();
    answers_.clear();
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
            indexPrograms(*entry);
        } else {
            entry.reset();
        }
        byId_.emplace(*id, std::move(entry));
    }
}

}  // namespace vantric
