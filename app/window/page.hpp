#pragma once

#include <array>
#include <optional>
#include <string_view>

#include <QString>

namespace vantric {

// The window's pages, in sidebar order. The raw values are also the hosts of the application's
// URLs (vantric://memory), which the desktop widgets open.
enum class Page { overview, cpu, memory, gpu, widgets };

inline constexpr std::array<Page, 5> allPages{Page::overview, Page::cpu, Page::memory, Page::gpu,
                                              Page::widgets};

std::string_view rawValue(Page page);
QString title(Page page);        // sidebar row and page title
QString systemImage(Page page);  // the symbol the sidebar row shows

// The page whose raw value is exactly raw.
std::optional<Page> pageNamed(std::string_view raw);

// The page a URL names by its host, compared exactly and case-sensitively with the raw values.
// The host is cut from the URL's own text rather than by a URL parser, because parsers lower-case
// hosts and vantric://Memory must not select the Memory page. Which scheme, path, query and
// fragment a URL has is not examined, but a text that is no URL (no scheme, a port that is no
// port) names no page, nor does a URL without a host.
std::optional<Page> pageForUrl(std::string_view url);

}  // namespace vantric
