#include "platform/linux/cpuinfo.hpp"

#include <utility>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

std::string_view withoutTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t");
    return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

// The tokens of text joined by single spaces.
std::string collapsedBlanks(std::string_view text) {
    std::string joined;
    for (std::string_view token = nextToken(text); !token.empty(); token = nextToken(text)) {
        if (!joined.empty()) {
            joined += ' ';
        }
        joined += token;
    }
    return joined;
}

}  // namespace

Cpuinfo parseCpuinfo(std::string_view text) {
    Cpuinfo info;
    forEachCompleteLine(text, [&](std::string_view line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return true;
        }
        const std::string_view key = withoutTrailingBlanks(line.substr(0, colon));
        if (key == "processor") {
            ++info.processors;
        } else if (key == "model name" && !info.modelName) {
            if (std::string name = collapsedBlanks(line.substr(colon + 1)); !name.empty()) {
                info.modelName = std::move(name);
            }
        }
        return true;
    });
    return info;
}

}  // namespace vantric
