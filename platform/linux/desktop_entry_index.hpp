#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/linux/desktop_entry.hpp"
#include "platform/linux/icon_theme.hpp"
#include "platform/linux/xdg_data_folders.hpp"

namespace vantric {

// The desktop entries of the installed applications (desktop files below the applicationFolders;
// the first folder that holds a file of an id gives it, so a Hidden file there, or one that is not
// an application, leaves the id without an entry), read once and read again only when one of the
// applications folders (or a folder inside one) has changed. Folder times are compared at most
// once per recheck interval, so lookups cost no file system access in between. A file rewritten
// in place leaves its folder's time alone and is seen only when another change is; packages and
// editors replace files, which does change it.
//
// It also knows which entry starts which program: the file its TryExec and the first word of its
// Exec name, as an absolute path or found in the program folders (PATH), every link on the way
// followed (x-terminal-emulator is the terminal it links to). An entry whose TryExec is not
// installed starts nothing; one whose Exec starts a generic launcher (env, sh, xdg-open) does
// not claim that launcher. When two entries start one program, the one whose id holds the
// program's name wins, then the one that hands it no options of its own ("--preferences" starts a
// second way into the same program), then the first in the folders' order, so the choice is the
// same at every reading.
// Not thread-safe: owned by one thread.
class DesktopEntryIndex {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    struct Settings {
        std::filesystem::path root = "/";  // a fixture tree in tests
        XdgEnvironment environment{};
        std::vector<std::string> languages{};  // as messageLanguages gives them
        std::string iconThemeName{};
        std::vector<std::string> programFolders{};  // PATH's folders, in order
        std::chrono::steady_clock::duration recheck = std::chrono::seconds(5);
        Clock now = std::chrono::steady_clock::now;
    };

    explicit DesktopEntryIndex(Settings settings);

    // The entry of an application id (a desktop file id, a Wayland app id, a window class): the
    // entry of that exact id, else of the same id in other ASCII case, else the entry whose
    // StartupWMClass matches in any case. A snap id "name_app" that matches none of these tries
    // "name" the same way. Hidden entries are never found.
    std::optional<DesktopEntry> find(std::string_view applicationId);

    // The id of the entry that starts program (an absolute path, or a name to find in the
    // program folders), else of the entry whose id or StartupWMClass is the program's file name
    // in any case; nothing when neither names it.
    std::optional<std::string> applicationOfProgram(std::string_view program);

    // The file of an icon as an entry names it (IconTheme::find); answers are kept until the
    // entries are read again.
    std::optional<std::filesystem::path> iconFile(std::string_view icon);

private:
    struct FolderTime {
        std::filesystem::path folder{};
        std::optional<std::filesystem::file_time_type> modified{};  // nothing while it is missing
    };

    void refreshWhenDue();
    bool changed() const;
    void read();
    void readFolder(const std::filesystem::path& folder);
    const DesktopEntry* findOnce(std::string_view applicationId) const;
    void indexPrograms(const DesktopEntry& entry);
    std::optional<std::string> programPath(std::string_view program) const;

    Settings settings_;
    std::vector<std::filesystem::path> folders_;
    IconTheme icons_;
    std::optional<std::chrono::steady_clock::time_point> lastCheck_;
    std::vector<FolderTime> folderTimes_;
    std::unordered_map<std::string, std::optional<DesktopEntry>> byId_;  // nothing: masked
    std::unordered_map<std::string, std::string> byLowerId_;
    std::unordered_map<std::string, std::string> byLowerWmClass_;
    struct ProgramClaim {
        std::string id;
        int rank = 0;  // higher wins; see indexPrograms
    };
    std::unordered_map<std::string, ProgramClaim> byProgram_;  // a program's path -> its entry
    // What applicationOfProgram answered, until the entries are read again: the processes of a
    // machine run far fewer programs than they are (400 sleeps, one program).
    std::unordered_map<std::string, std::optional<std::string>> answers_;
};

}  // namespace vantric
