#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantric {

// What a .desktop file says about an application, from its [Desktop Entry] group.
struct DesktopEntry {
    std::string id{};              // the desktop file id; set by whoever knows the file's path
    std::string name{};            // in the best of the message languages that it has
    std::string icon{};            // an icon theme name or an absolute path, as written
    std::string startupWmClass{};  // the window class its windows carry, when it says
    std::string tryExec{};         // the program that must be installed for the entry to count
    std::string program{};         // the first word of Exec: the program it starts
    // Exec hands the program options of its own ("mousepad --preferences"): the entry is a second
    // way into a program that another entry starts plainly.
    bool programWithOptions = false;
    bool terminalEmulator = false;  // Categories has TerminalEmulator
    bool noDisplay = false;         // kept out of menus, but still the entry of its program
    bool hidden = false;  // deleted: it hides the entry of the same id in the folders after it
};

// The text of a .desktop file -> its entry, the name localised for languages (most wanted first,
// as messageLanguages gives them). Nothing when the text has no [Desktop Entry] group, or when it
// is not a Type=Application entry with a Name. A Hidden=true entry is returned with hidden set
// whatever else it says, because it stands for a deleted file.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text,
                                              const std::vector<std::string>& languages);

// The first word of an Exec value, its quoting undone: "\"/opt/My App/run\" %U" ->
// "/opt/My App/run". Empty when there is none or its quotes do not close.
std::string execProgram(std::string_view exec);
// Whether a word after the first of an Exec value is an option ("-x", "--preferences").
bool execPassesOptions(std::string_view exec);

// The desktop file id of a file, from its path below an applications folder
// ("kde/org.kde.foo.desktop" -> "kde-org.kde.foo"); nothing for a file that is not a .desktop.
std::optional<std::string> desktopFileId(std::string_view pathBelowApplications);

// The locale variables that choose the language of messages.
struct LocaleEnvironment {
    std::string language{};    // LANGUAGE: a colon-separated list
    std::string lcAll{};       // LC_ALL
    std::string lcMessages{};  // LC_MESSAGES
    std::string lang{};        // LANG
};

// The variables of this process.
LocaleEnvironment processLocaleEnvironment();

// The message languages, most wanted first: the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG
// that is set and not empty. The C and POSIX locales ask for no translation and give no language.
std::vector<std::string> messageLanguages(const LocaleEnvironment& environment);

}  // namespace vantric
