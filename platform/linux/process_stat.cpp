#include "platform/linux/process_stat.hpp"

#include <array>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// Positions after the name, counting the state (field 3 of the line) as 0.
constexpr std::size_t flagsField = 6;
constexpr std::size_t minorFaultsField = 7;
constexpr std::size_t majorFaultsField = 9;
constexpr std::size_t userField = 11;
constexpr std::size_t systemField = 12;
constexpr std::size_t startField = 19;

// 2^44 resident pages are 64 PiB in pages of 4 KiB, where the kernel addresses at most 4 PiB: more
// is garbage. Refusing it keeps the process table's count in bytes from wrapping, even in pages of
// 64 KiB (arm64, POWER) and with the swapped bytes added.
constexpr std::uint64_t largestResidentPages = std::uint64_t{1} << 44;

}  // namespace

std::optional<ProcessStat> parseProcessStat(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    ProcessStat stat{.name = text.substr(open + 1, close - open - 1)};
    std::string_view rest = text.substr(close + 1);
    rest.remove_suffix(1);
    for (std::size_t field = 0; field <= startField; ++field) {
        const std::string_view token = nextToken(rest);
        if (token.empty()) {
            return std::nullopt;
        }
        if (field != flagsField && field != minorFaultsField && field != majorFaultsField &&
            field != userField && field != systemField && field != startField) {
            continue;
        }
        const auto value = parseUnsigned(token);
        if (!value) {
            return std::nullopt;
        }
        switch (field) {
        case flagsField:
            if (*value > UINT32_MAX) {
                return std::nullopt;
            }
            stat.flags = static_cast<std::uint32_t>(*value);
            break;
        case minorFaultsField:
        case majorFaultsField: stat.faults += *value; break;
        case userField: stat.userTicks = *value; break;
        case systemField: stat.systemTicks = *value; break;
        default: stat.startTicks = *value; break;
        }
        if (field != flagsField && *value > largestTicks) {
            return std::nullopt;
        }
    }
    return stat;
}

std::optional<std::uint64_t> parseStatmPrivatePages(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_suffix(1);
    std::array<std::uint64_t, 7> fields{};
    for (std::uint64_t& field : fields) {
        const auto value = parseUnsigned(nextToken(text));
        if (!value) {
            return std::nullopt;
        }
        field = *value;
    }
    if (!nextToken(text).empty()) {
        return std::nullopt;
    }
    const std::uint64_t resident = fields[1];
    const std::uint64_t shared = fields[2];
    if (resident > largestResidentPages) {
        return std::nullopt;
    }
    return resident > shared ? resident - shared : 0;
}

std::optional<StatusMemory> parseStatusMemory(std::string_view text) {
    std::optional<std::uint64_t> resident;
    std::optional<std::uint64_t> anonymous;
    std::optional<std::uint64_t> swapped;
    bool unreadable = false;
    const auto kilobytes = [&unreadable](std::string_view rest) -> std::optional<std::uint64_t> {
        const auto value = parseUnsigned(nextToken(rest));
        // The process table adds resident and swapped and counts them in bytes.
        if (!value || *value > largestKilobytes || nextToken(rest) != "kB") {
            unreadable = true;
            return std::nullopt;
        }
        return value;
    };
    const bool whole = forEachCompleteLine(text, [&](std::string_view line) {
        if (line.starts_with("VmRSS:")) {
            resident = kilobytes(line.substr(6));
        } else if (line.starts_with("RssAnon:")) {
            anonymous = kilobytes(line.substr(8));
        } else if (line.starts_with("VmSwap:")) {
            swapped = kilobytes(line.substr(7));
            return false;  // the last of the three; the rest of the file is not needed
        }
        return true;
    });
    // Stopping early at VmSwap leaves the rest unread on purpose; ending inside a line before it
    // is a file cut short, which may have lost RssAnon and left VmRSS to stand in for it.
    if (unreadable || (!whole && !swapped)) {
        return std::nullopt;
    }
    return StatusMemory{.resident = anonymous ? *anonymous : resident.value_or(0),
                        .swapped = swapped.value_or(0)};
}

std::optional<std::uint64_t> parseLastIdentifier(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_suffix(1);
    for (int average = 0; average < 3; ++average) {
        if (!parseDecimal(nextToken(text))) {
            return std::nullopt;
        }
    }
    const std::string_view tasks = nextToken(text);
    const std::size_t slash = tasks.find('/');
    if (slash == std::string_view::npos || !parseUnsigned(tasks.substr(0, slash)) ||
        !parseUnsigned(tasks.substr(slash + 1))) {
        return std::nullopt;
    }
    const auto last = parseUnsigned(nextToken(text));
    if (!last || !nextToken(text).empty()) {
        return std::nullopt;
    }
    return last;
}

}  // namespace vantric
