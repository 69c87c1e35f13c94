#include "platform/linux/desktop_entry.hpp"

#include <algorithm>

#include "platform/linux/key_file.hpp"
#include "platform/linux/xdg_data_folders.hpp"

namespace vantric {

namespace {

bool isCLocale(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of(".@"));
    return language == "C" || language == "POSIX";
}

// The locale names a language matches, best first (lang_COUNTRY@MODIFIER, lang_COUNTRY,
// lang@MODIFIER, lang): the codeset is never part of a desktop file's locale keys.
void appendVariants(std::string_view locale, std::vector<std::string>& variants) {
    const std::size_t at = locale.find('@');
    const std::string_view modifier = at == std::string_view::npos ? "" : locale.substr(at);
    const std::string_view withCountry = locale.substr(0, std::min(at, locale.find('.')));
    const std::string_view language = withCountry.substr(0, withCountry.find('_'));
    const auto add = [&](std::string variant) {
        if (std::find(variants.begin(), variants.end(), variant) == variants.end()) {
            variants.push_back(std::move(variant));
        }
    };
    const bool hasCountry = withCountry.size() > language.size();
    if (hasCountry && !modifier.empty()) {
        add(std::string(withCountry) + std::string(modifier));
    }
    if (hasCountry) {
        add(std::string(withCountry));
    }
    if (!modifier.empty()) {
        add(std::string(language) + std::string(modifier));
    }
    add(std::string(language));
}

bool isTrue(std::string_view value) {
    return value == "true" || value == "1";
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text,
                                              const std::vector<std::string>& languages) {
    std::vector<std::string> variants;
    for (const std::string& language : languages) {
        appendVariants(language, variants);
    }
    DesktopEntry entry;
    // Only the [Desktop Entry] group counts: a [Desktop Action ...] has Names of its own.
    bool seenGroup = false;
    bool application = false;
    // The rank of the name kept so far: its variant's place, variants.size() for the plain Name.
    std::optional<std::size_t> nameRank;
    forEachKeyFileEntry(
        text, [&](std::string_view group, std::string_view key, std::string_view value) {
            if (group != "Desktop Entry") {
                return;
            }
            seenGroup = true;
            if (key == "Type") {
                application = value == "Application";
            } else if (key == "Name" || (key.starts_with("Name[") && key.ends_with(']'))) {
                std::size_t rank = variants.size();
                if (key != "Name") {
                    const std::string_view locale = key.substr(5, key.size() - 6);
                    rank = static_cast<std::size_t>(
                        std::find(variants.begin(), variants.end(), locale) - variants.begin());
                    if (rank == variants.size()) {
                        return;
                    }
                }
                if (!nameRank || rank < *nameRank) {
                    nameRank = rank;
                    entry.name = unescapedKeyFileValue(value);
                }
            } else if (key == "Icon") {
                entry.icon = unescapedKeyFileValue(value);
            } else if (key == "StartupWMClass") {
                entry.startupWmClass = unescapedKeyFileValue(value);
            } else if (key == "TryExec") {
                entry.tryExec = unescapedKeyFileValue(value);
            } else if (key == "Exec") {
                const std::string exec = unescapedKeyFileValue(value);
                entry.program = execProgram(exec);
                entry.programWithOptions = execPassesOptions(exec);
            } else if (key == "Categories") {
                const auto categories = keyFileList(value, ';');
                entry.terminalEmulator = std::find(categories.begin(), categories.end(),
                                                   "TerminalEmulator") != categories.end();
            } else if (key == "NoDisplay") {
                entry.noDisplay = isTrue(value);
            } else if (key == "Hidden") {
                entry.hidden = isTrue(value);
            }
        });
    if (!seenGroup || (!entry.hidden && (!application || !nameRank))) {
        return std::nullopt;
    }
    return entry;
}

namespace {

struct ExecWords {
    std::string program;    // empty when its quotes do not close
    std::string_view rest;  // the arguments after it
};

ExecWords splitExec(std::string_view exec) {
    exec.remove_prefix(std::min(exec.find_first_not_of(' '), exec.size()));
    if (!exec.starts_with('"')) {
        const std::size_t end = std::min(exec.find(' '), exec.size());
        return {.program = std::string(exec.substr(0, end)), .rest = exec.substr(end)};
    }
    // Inside quotes a backslash keeps the next character: '"', '`', '$' or '\\' itself.
    std::string program;
    for (std::size_t index = 1; index < exec.size(); ++index) {
        if (exec[index] == '"') {
            return {.program = std::move(program), .rest = exec.substr(index + 1)};
        }
        if (exec[index] == '\\' && index + 1 < exec.size()) {
            ++index;
        }
        program.push_back(exec[index]);
    }
    return {};
}

}  // namespace

std::string execProgram(std::string_view exec) {
    return splitExec(exec).program;
}

bool execPassesOptions(std::string_view exec) {
    const std::string_view rest = splitExec(exec).rest;
    return rest.starts_with('-') || rest.find(" -") != std::string_view::npos;
}

std::optional<std::string> desktopFileId(std::string_view pathBelowApplications) {
    constexpr std::string_view suffix = ".desktop";
    if (!pathBelowApplications.ends_with(suffix) || pathBelowApplications.size() == suffix.size()) {
        return std::nullopt;
    }
    std::string id(pathBelowApplications.substr(0, pathBelowApplications.size() - suffix.size()));
    std::replace(id.begin(), id.end(), '/', '-');
    return id;
}

LocaleEnvironment processLocaleEnvironment() {
    return {.language = processEnvironmentValue("LANGUAGE"),
            .lcAll = processEnvironmentValue("LC_ALL"),
            .lcMessages = processEnvironmentValue("LC_MESSAGES"),
            .lang = processEnvironmentValue("LANG")};
}

std::vector<std::string> messageLanguages(const LocaleEnvironment& environment) {
    std::string_view chosen;
    for (const std::string* value :
         {&environment.language, &environment.lcAll, &environment.lcMessages, &environment.lang}) {
        if (!value->empty()) {
            chosen = *value;
            break;
        }
    }
    std::vector<std::string> languages;
    for (const std::string_view language : keyFileList(chosen, ':')) {
        if (!isCLocale(language)) {
            languages.emplace_back(language);
        }
    }
    return languages;
}

}  // namespace vantric
