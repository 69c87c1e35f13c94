#include "app/window/page.hpp"

#include <cctype>
#include <charconv>

namespace vantric {

namespace {

constexpr std::string_view schemeCharacters =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.";

}  // namespace

std::string_view rawValue(Page page) {
    switch (page) {
    case Page::overview: return "overview";
    case Page::cpu: return "cpu";
    case Page::memory: return "memory";
    case Page::gpu: return "gpu";
    case Page::widgets: return "widgets";
    }
    return "overview";
}

QString title(Page page) {
    switch (page) {
    case Page::overview: return QStringLiteral("Overview");
    case Page::cpu: return QStringLiteral("CPU");
    case Page::memory: return QStringLiteral("Memory");
    case Page::gpu: return QStringLiteral("GPU");
    case Page::widgets: return QStringLiteral("Desktop Widgets");
    }
    return {};
}

QString systemImage(Page page) {
    switch (page) {
    case Page::overview: return QStringLiteral("gauge.with.dots.needle.33percent");
    case Page::cpu: return QStringLiteral("cpu");
    case Page::memory: return QStringLiteral("memorychip");
    case Page::gpu: return QStringLiteral("square.3.layers.3d");
    case Page::widgets: return QStringLiteral("widget.small");
    }
    return {};
}

std::optional<Page> pageNamed(std::string_view raw) {
    for (const Page page : allPages) {
        if (raw == rawValue(page)) {
            return page;
        }
    }
    return std::nullopt;
}

std::optional<Page> pageForUrl(std::string_view url) {
    // A URL as RFC 3986 writes one: a scheme (a letter, then letters, digits, "+", "-" or "."),
    // then "//" and the authority, which runs to the first "/", "?" or "#". User information
    // before an "@" and a port after the last ":" are not part of the host; a port is decimal and
    // below 65536. Anything else is no URL, and has no host.
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0 ||
        std::isalpha(static_cast<unsigned char>(url.front())) == 0 ||
        url.substr(0, schemeEnd).find_first_not_of(schemeCharacters) != std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        const std::string_view port = authority.substr(colon + 1);
        unsigned number = 0;
        const auto [stop, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (!port.empty() &&
            (error != std::errc{} || stop != port.data() + port.size() || number > 65535)) {
            return std::nullopt;
        }
        authority = authority.substr(0, colon);
    }
    return pageNamed(authority);
}

}  // namespace vantric
