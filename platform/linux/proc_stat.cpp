#include "platform/linux/proc_stat.hpp"

#include <array>
#include <optional>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// user nice system idle iowait irq softirq steal guest guest_nice; kernels before 2.6.33 write
// fewer, and the first four have always been there.
constexpr std::size_t knownCounters = 10;
constexpr std::size_t requiredCounters = 4;

std::optional<ProcessorTicks> parseProcessorLine(std::string_view line) {
    std::string_view rest = line;
    const std::string_view name = nextToken(rest);
    const auto processor = parseUnsigned(name.substr(3));
    if (!processor || *processor > UINT32_MAX) {
        return std::nullopt;
    }

    std::array<std::uint64_t, knownCounters> counters{};
    std::size_t count = 0;
    for (std::string_view token = nextToken(rest); !token.empty(); token = nextToken(rest)) {
        const auto value = parseUnsigned(token);
        if (!value || *value > largestTicks) {
            return std::nullopt;
        }
        // Counters that later kernels may add are read for their validity and otherwise ignored.
        if (count < knownCounters) {
            counters[count] = *value;
        }
        ++count;
    }
    if (count < requiredCounters) {
        return std::nullopt;
    }

    const auto [user, nice, system, idle, iowait, irq, softirq, steal, guest, guestNice] = counters;
    static_cast<void>(guest);
    static_cast<void>(guestNice);
    return ProcessorTicks{
        .processor = static_cast<std::uint32_t>(*processor),
        .user = user,
        .system = system + irq + softirq + steal,
        .idle = idle + iowait,
        .nice = nice,
    };
}

bool isProcessorLine(std::string_view line) {
    return line.size() > 3 && line.starts_with("cpu") && line[3] >= '0' && line[3] <= '9';
}

}  // namespace

std::vector<ProcessorTicks> parseProcStat(std::string_view text) {
    std::vector<ProcessorTicks> processors;
    bool malformed = false;
    bool blockEnded = false;
    forEachCompleteLine(text, [&](std::string_view line) {
        if (line.starts_with("cpu ")) {
            return true;  // the sum over all processors; the sampler forms its own
        }
        if (!isProcessorLine(line)) {
            blockEnded = true;
            return false;
        }
        const auto ticks = parseProcessorLine(line);
        if (!ticks || (!processors.empty() && ticks->processor <= processors.back().processor)) {
            malformed = true;
            return false;
        }
        processors.push_back(*ticks);
        return true;
    });
    if (malformed || !blockEnded) {
        return {};
    }
    return processors;
}

}  // namespace vantric
