#include "platform/linux/drm_fdinfo.hpp"

#include <algorithm>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

struct RegionAmounts {
    std::string_view name;
    std::optional<std::uint64_t> resident{};
    std::optional<std::uint64_t> oldResident{};  // drm-memory-<region>
    std::optional<std::uint64_t> total{};
};

// A number, and after it nothing or the expected unit.
std::optional<std::uint64_t> plainNumber(std::string_view value, std::string_view unit) {
    std::string_view rest = value;
    const auto number = parseUnsigned(nextToken(rest));
    const std::string_view suffix = nextToken(rest);
    if (!number || !nextToken(rest).empty() || (!suffix.empty() && suffix != unit)) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::uint64_t> bytes(std::string_view value) {
    std::string_view rest = value;
    const auto number = parseUnsigned(nextToken(rest));
    const std::string_view unit = nextToken(rest);
    if (!number || !nextToken(rest).empty()) {
        return std::nullopt;
    }
    std::uint64_t scale = 0;
    if (unit.empty()) {
        scale = 1;
    } else if (unit == "KiB") {
        scale = 1024;
    } else if (unit == "MiB") {
        scale = std::uint64_t{1024} * 1024;
    }
    if (scale == 0 || *number > largestBufferBytes / scale) {
        return std::nullopt;
    }
    return *number * scale;
}

bool isVideoRegion(std::string_view region) {
    return region.starts_with("vram") || region.starts_with("local");
}

template <typename Item>
Item& entryNamed(std::vector<Item>& items, std::string_view name) {
    const auto found = std::find_if(items.begin(), items.end(),
                                    [name](const Item& item) { return item.name == name; });
    if (found != items.end()) {
        return *found;
    }
    items.push_back(Item{});
    items.back().name = decltype(Item::name)(name);
    return items.back();
}

// The part of key after prefix, when key has that prefix and something after it.
std::optional<std::string_view> after(std::string_view key, std::string_view prefix) {
    if (key.size() <= prefix.size() || !key.starts_with(prefix)) {
        return std::nullopt;
    }
    return key.substr(prefix.size());
}

}  // namespace

std::optional<DrmFdinfo> parseDrmFdinfo(std::string_view text) {
    DrmFdinfo info;
    bool hasDriver = false;
    bool hasClient = false;
    std::vector<RegionAmounts> regions;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !line.starts_with("drm-")) {
            continue;
        }
        const std::string_view key = line.substr(0, colon);
        std::string_view value = line.substr(colon + 1);
        value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }

        // Longer prefixes first: drm-engine-capacity-* and drm-total-cycles-* would otherwise
        // read as an engine and a memory region of those names.
        if (key == "drm-driver") {
            info.driver = std::string(value);
            hasDriver = !value.empty();
        } else if (key == "drm-client-id") {
            const auto id = plainNumber(value, "");
            hasClient = id.has_value();
            info.clientId = id.value_or(0);
        } else if (key == "drm-pdev") {
            info.pciDevice = std::string(value);
        } else if (const auto name = after(key, "drm-engine-capacity-")) {
            if (const auto capacity = plainNumber(value, "")) {
                entryNamed(info.engines, *name).capacity = std::max<std::uint64_t>(*capacity, 1);
            }
        } else if (const auto name = after(key, "drm-engine-")) {
            if (const auto busy = plainNumber(value, "ns")) {
                entryNamed(info.engines, *name).busyNs = busy;
            }
        } else if (const auto name = after(key, "drm-total-cycles-")) {
            if (const auto total = plainNumber(value, "")) {
                entryNamed(info.engines, *name).totalCycles = total;
            }
        } else if (const auto name = after(key, "drm-cycles-")) {
            if (const auto cycles = plainNumber(value, "")) {
                entryNamed(info.engines, *name).cycles = cycles;
            }
        } else if (const auto region = after(key, "drm-resident-")) {
            entryNamed(regions, *region).resident = bytes(value);
        } else if (const auto region = after(key, "drm-memory-")) {
            entryNamed(regions, *region).oldResident = bytes(value);
        } else if (const auto region = after(key, "drm-total-")) {
            entryNamed(regions, *region).total = bytes(value);
        }
    }
    if (!hasDriver || !hasClient) {
        return std::nullopt;
    }
    // An engine known only by its capacity line did nothing the counters could show.
    std::erase_if(info.engines, [](const DrmEngineCounters& engine) {
        return !engine.busyNs && !(engine.cycles && engine.totalCycles);
    });
    for (const RegionAmounts& region : regions) {
        const std::uint64_t total = region.total.value_or(0);
        const std::uint64_t resident = region.resident.value_or(region.oldResident.value_or(total));
        const bool video = isVideoRegion(region.name);
        std::uint64_t& residentSum = video ? info.memory.videoResident : info.memory.systemResident;
        std::uint64_t& totalSum = video ? info.memory.videoTotal : info.memory.systemTotal;
        residentSum = cappedSum(residentSum, resident);
        totalSum = cappedSum(totalSum, total);
    }
    return info;
}

}  // namespace vantric
