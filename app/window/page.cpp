#include "app/window/page.hpp"

namespace vantric {

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
    // The authority follows "scheme://" and runs to the first "/", "?" or "#"; user information
    // before an "@" and a port after the last ":" are not part of the host.
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view authority = url.substr(schemeEnd + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (const auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        authority = authority.substr(0, colon);
    }
    return pageNamed(authority);
}

}  // namespace vantric
