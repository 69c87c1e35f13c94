// The key files of the desktop (.desktop entries, icon themes' index.theme), os-release, and the
// session's variables that are lists (LANGUAGE, XDG_DATA_DIRS). Anyone can drop a desktop entry
// or an icon theme into their own data folders. Every parser reads the same input.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "platform/linux/desktop_entry.hpp"
#include "platform/linux/icon_theme.hpp"
#include "platform/linux/key_file.hpp"
#include "platform/linux/os_release.hpp"
#include "platform/linux/xdg_data_folders.hpp"

namespace vantric {
namespace {

// A key file's lines are trimmed of " \t\r", which takes a CRLF file's line ends too; the items of
// a list inside a value of " \t".
bool isTrimmed(std::string_view text, std::string_view blanks = " \t\r") {
    return text.empty() || (blanks.find(text.front()) == std::string_view::npos &&
                            blanks.find(text.back()) == std::string_view::npos);
}

void fuzzKeyFile(std::string_view text) {
    forEachKeyFileEntry(
        text, [&](std::string_view group, std::string_view key, std::string_view value) {
            fuzzCheck(isViewInto(group, text) && isViewInto(key, text) && isViewInto(value, text),
                      "an entry is a view into the file");
            fuzzCheck(!key.empty() && key.find('=') == std::string_view::npos && isTrimmed(key) &&
                          isTrimmed(value),
                      "a key is trimmed and holds no '='");
            fuzzCheck(unescapedKeyFileValue(value).size() <= value.size(),
                      "unescaping never lengthens a value");
            for (const char separator : {';', ','}) {
                for (const std::string_view item : keyFileList(value, separator)) {
                    fuzzCheck(!item.empty() && isViewInto(item, value) && isTrimmed(item, " \t") &&
                                  item.find(separator) == std::string_view::npos,
                              "a list item is trimmed and holds no separator");
                }
            }
        });
}

void fuzzDesktopFiles(std::string_view text) {
    static const std::vector<std::string> languages =
        messageLanguages({.language = "sr_RS@latin:de_DE.UTF-8:pt_BR:fr",
                          .lcAll = {},
                          .lcMessages = {},
                          .lang = {}});
    static_cast<void>(parseDesktopEntry(text, languages));
    if (const auto id = desktopFileId(text)) {
        fuzzCheck(!id->empty() && id->find('/') == std::string::npos,
                  "a desktop file id names no folder");
    }
    const IconThemeIndex index = parseIconThemeIndex(text);
    for (const auto& directory : index.directories) {
        fuzzCheck(directory.size > 0 && directory.scale > 0, "an icon folder has a size");
        fuzzCheck(
            std::count_if(index.directories.begin(), index.directories.end(),
                          [&](const auto& other) { return other.path == directory.path; }) == 1,
            "an icon folder is listed once");
    }
    for (const char* key : {"PRETTY_NAME", "NAME", "VERSION_ID"}) {
        if (const auto value = osReleaseValue(text, key)) {
            fuzzCheck(value->size() <= text.size(), "unquoting never lengthens a value");
        }
    }
}

void fuzzSessionLists(std::string_view text) {
    const std::string list(text);
    for (const std::string& language :
         messageLanguages({.language = list, .lcAll = {}, .lcMessages = {}, .lang = {}})) {
        fuzzCheck(!language.empty() && language != "C" && language != "POSIX",
                  "a message language asks for a translation");
    }
    const std::filesystem::path root("/fixture");
    const auto folders =
        applicationFolders(root, {.home = "/home/user", .dataHome = {}, .dataDirs = list});
    for (const auto& folder : folders) {
        fuzzCheck(folder.native().starts_with("/fixture/") &&
                      std::count(folders.begin(), folders.end(), folder) == 1,
                  "a data folder is under the root, once");
    }
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view text = fuzzText(data, size);
    fuzzKeyFile(text);
    fuzzDesktopFiles(text);
    fuzzSessionLists(text);
    return 0;
}
