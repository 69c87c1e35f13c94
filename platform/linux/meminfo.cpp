#include "platform/linux/meminfo.hpp"

#include <array>
#include <bitset>
#include <utility>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

using Field = std::optional<std::uint64_t> Meminfo::*;

constexpr std::array<std::pair<std::string_view, Field>, 12> fields{{
    {"MemTotal", &Meminfo::memTotal},
    {"MemFree", &Meminfo::memFree},
    {"MemAvailable", &Meminfo::memAvailable},
    {"Buffers", &Meminfo::buffers},
    {"Cached", &Meminfo::cached},
    {"AnonPages", &Meminfo::anonPages},
    {"Shmem", &Meminfo::shmem},
    {"KReclaimable", &Meminfo::kReclaimable},
    {"SReclaimable", &Meminfo::sReclaimable},
    {"SwapTotal", &Meminfo::swapTotal},
    {"SwapFree", &Meminfo::swapFree},
    {"Zswap", &Meminfo::zswap},
}};

std::optional<std::uint64_t> kilobytes(std::string_view rest) {
    const auto value = parseUnsigned(nextToken(rest));
    if (!value || *value > largestKilobytes || nextToken(rest) != "kB" ||
        !nextToken(rest).empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

Meminfo parseMeminfo(std::string_view text) {
    Meminfo info;
    std::bitset<fields.size()> seen;
    // The lines used all come in the first half of the file: stop once each has been seen.
    forEachCompleteLine(text, [&](std::string_view line) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return true;
        }
        const std::string_view name = line.substr(0, colon);
        for (std::size_t index = 0; index < fields.size(); ++index) {
            if (name == fields[index].first) {
                info.*fields[index].second = kilobytes(line.substr(colon + 1));
                seen.set(index);
                break;
            }
        }
        return !seen.all();
    });
    return info;
}

}  // namespace vantric
