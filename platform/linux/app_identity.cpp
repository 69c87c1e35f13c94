#include "platform/linux/app_identity.hpp"

#include <array>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool consumeSuffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix)) {
        return false;
    }
    text.remove_suffix(suffix.size());
    return true;
}

// "[<launcher>-]<app id>" (still escaped) -> the application. An id may hold a "-" of its own
// only when its launcher did not escape it; the launcher, when there is one, is a single token.
std::optional<ApplicationOfProcess> fromLauncherAndId(std::string_view head) {
    const std::size_t dash = head.find('-');
    if (dash == 0) {
        return std::nullopt;
    }
    const std::string_view escapedId =
        dash == std::string_view::npos ? head : head.substr(dash + 1);
    if (escapedId.empty()) {
        return std::nullopt;
    }
    std::string appId = unescapeUnitName(escapedId);
    // A D-Bus activated application gets a slice named after its bus connection and name.
    constexpr std::string_view dbusPrefix = "dbus-:";
    if (appId.starts_with(dbusPrefix)) {
        const std::size_t end = appId.find('-', dbusPrefix.size());
        if (end == std::string::npos || end + 1 == appId.size()) {
            return std::nullopt;
        }
        appId.erase(0, end + 1);
    }
    return ApplicationOfProcess{.appId = std::move(appId)};
}

// snapd names the scope of each run snap.<name>.<app>-<uuid>, the uuid in the usual 8-4-4-4-12
// form; snap and app names may hold "-" themselves, so the uuid is cut by its shape.
bool isUuidTail(std::string_view text) {
    constexpr std::size_t length = 36;
    if (text.size() != length) {
        return false;
    }
    constexpr std::array<std::size_t, 4> dashes{8, 13, 18, 23};
    for (std::size_t index = 0; index < length; ++index) {
        const bool dash =
            index == dashes[0] || index == dashes[1] || index == dashes[2] || index == dashes[3];
        if (dash ? text[index] != '-' : hexDigit(text[index]) < 0) {
            return false;
        }
    }
    return true;
}

std::optional<ApplicationOfProcess> fromSnapScope(std::string_view body) {
    const std::size_t dot = body.find('.');
    if (dot == 0 || dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view name = body.substr(0, dot);
    std::string_view app = body.substr(dot + 1);
    constexpr std::size_t uuidLength = 36;
    if (app.size() > uuidLength + 1 && app[app.size() - uuidLength - 1] == '-' &&
        isUuidTail(app.substr(app.size() - uuidLength))) {
        app.remove_suffix(uuidLength + 1);
    } else {
        const std::size_t dash = app.rfind('-');
        if (dash == std::string_view::npos) {
            return std::nullopt;
        }
        app = app.substr(0, dash);
    }
    // snap.<name>.hook.<hook>: snapd running one of the snap's hooks, not the application.
    if (app.empty() || app.find('.') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string appId;
    appId.reserve(name.size() + 1 + app.size());
    appId.append(name).append(1, '_').append(app);
    return ApplicationOfProcess{.appId = std::move(appId), .snapName = std::string(name)};
}

bool isBaseOrSystemSnap(std::string_view name) {
    if (name == "snapd" || name == "bare") {
        return true;
    }
    return name.starts_with("core") &&
           name.find_first_not_of("0123456789", 4) == std::string_view::npos;
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string unescapeUnitName(std::string_view escaped) {
    std::string text;
    text.reserve(escaped.size());
    for (std::size_t index = 0; index < escaped.size(); ++index) {
        if (escaped[index] == '\\' && index + 3 < escaped.size() && escaped[index + 1] == 'x') {
            const int high = hexDigit(escaped[index + 2]);
            const int low = hexDigit(escaped[index + 3]);
            if (high >= 0 && low >= 0) {
                text.push_back(static_cast<char>(high * 16 + low));
                index += 3;
                continue;
            }
        }
        text.push_back(escaped[index]);
    }
    return text;
}

std::optional<std::string_view> unifiedCgroupPath(std::string_view cgroupText) {
    while (!cgroupText.empty()) {
        const std::size_t end = cgroupText.find('\n');
        const std::string_view line = cgroupText.substr(0, end);
        if (line.starts_with("0::")) {
            return line.substr(3);
        }
        if (end == std::string_view::npos) {
            break;
        }
        cgroupText.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::optional<ApplicationOfProcess> applicationOfUnit(std::string_view component) {
    if (component.starts_with("snap.")) {
        component.remove_prefix(5);
        return consumeSuffix(component, ".scope") ? fromSnapScope(component) : std::nullopt;
    }
    if (!component.starts_with("app-")) {
        return std::nullopt;
    }
    component.remove_prefix(4);
    if (consumeSuffix(component, ".scope")) {
        const std::size_t random = component.rfind('-');
        if (random == std::string_view::npos || random + 1 == component.size()) {
            return std::nullopt;
        }
        return fromLauncherAndId(component.substr(0, random));
    }
    if (consumeSuffix(component, ".service")) {
        const std::size_t at = component.find('@');
        if (at != std::string_view::npos) {
            if (at + 1 == component.size()) {
                return std::nullopt;
            }
            component = component.substr(0, at);
        }
        return fromLauncherAndId(component);
    }
    if (consumeSuffix(component, ".slice")) {
        return fromLauncherAndId(component);
    }
    return std::nullopt;
}

std::optional<ApplicationOfProcess> applicationOfCgroup(std::string_view path) {
    while (!path.empty()) {
        const std::size_t slash = path.rfind('/');
        const std::string_view component =
            slash == std::string_view::npos ? path : path.substr(slash + 1);
        if (component.starts_with("vte-spawn-")) {
            return std::nullopt;
        }
        if (auto application = applicationOfUnit(component)) {
            return application;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        path = path.substr(0, slash);
    }
    return std::nullopt;
}

std::optional<std::string> flatpakApplicationName(std::string_view flatpakInfo) {
    bool inApplication = false;
    while (!flatpakInfo.empty()) {
        const std::size_t end = flatpakInfo.find('\n');
        const std::string_view line = flatpakInfo.substr(0, end);
        if (line.starts_with('[')) {
            inApplication = line == "[Application]";
        } else if (inApplication && line.starts_with("name=") && line.size() > 5) {
            return std::string(line.substr(5));
        }
        if (end == std::string_view::npos) {
            break;
        }
        flatpakInfo.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::optional<ApplicationOfProcess> snapOfExecutable(std::string_view path) {
    constexpr std::string_view root = "/snap/";
    if (!path.starts_with(root)) {
        return std::nullopt;
    }
    path.remove_prefix(root.size());
    const std::size_t nameEnd = path.find('/');
    if (nameEnd == 0 || nameEnd == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t revisionEnd = path.find('/', nameEnd + 1);
    if (revisionEnd == std::string_view::npos || revisionEnd == nameEnd + 1 ||
        revisionEnd + 1 == path.size()) {
        return std::nullopt;
    }
    const std::string_view name = path.substr(0, nameEnd);
    if (isBaseOrSystemSnap(name)) {
        return std::nullopt;
    }
    return ApplicationOfProcess{.appId = std::string(name),
                                .snapName = std::string(name),
                                .via = ApplicationEvidence::snapPath};
}

std::optional<std::string_view> appImageMountName(std::string_view path) {
    constexpr std::string_view mount = "/.mount_";
    constexpr std::size_t randomLength = 6;
    const std::size_t start = path.find(mount);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    path.remove_prefix(start + mount.size());
    const std::size_t end = path.find('/');
    if (end == std::string_view::npos || end <= randomLength || end + 1 == path.size()) {
        return std::nullopt;
    }
    return path.substr(0, end - randomLength);
}

std::string_view appImageName(std::string_view appImagePath) {
    const std::size_t slash = appImagePath.rfind('/');
    if (slash != std::string_view::npos) {
        appImagePath.remove_prefix(slash + 1);
    }
    constexpr std::string_view extension = ".appimage";
    if (appImagePath.size() > extension.size()) {
        const std::string_view tail = appImagePath.substr(appImagePath.size() - extension.size());
        bool same = true;
        for (std::size_t index = 0; index < extension.size(); ++index) {
            same = same && lowerAscii(tail[index]) == extension[index];
        }
        if (same) {
            appImagePath.remove_suffix(extension.size());
        }
    }
    return appImagePath;
}

std::optional<std::string_view> environmentValue(std::string_view environment,
                                                 std::string_view name) {
    return assignedValue(environment, name, '\0');
}

}  // namespace vantric
