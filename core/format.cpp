#include "core/format.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace vantric {
namespace {

// A double holds about 17 significant digits; past that the digits only spell out its binary
// fraction. The cap also bounds the text, so a caller's stray INT_MAX cannot ask for gigabytes.
constexpr int maxFractionDigits = 20;

constexpr double perGibibyte = 1.0 / static_cast<double>(1ULL << 30);
constexpr double perMebibyte = 1.0 / static_cast<double>(1ULL << 20);

void appendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// A zero digit whose ten digits would run into the UTF-16 surrogates or past Unicode would make
// text no decoder accepts; such a locale gets ASCII digits instead.
char32_t usableZeroDigit(char32_t zero) {
    // zero + 9 would wrap for a zero near the top of char32_t, so the bounds move instead.
    const bool belowSurrogates = zero < 0xD800 - 9;
    const bool aboveSurrogates = zero > 0xDFFF && zero <= 0x10FFFF - 9;
    return belowSurrogates || aboveSurrogates ? zero : U'0';
}

void appendDigit(std::string& out, char ascii, char32_t zero) {
    appendUtf8(out, zero + static_cast<char32_t>(ascii - '0'));
}

void appendGroupedInteger(std::string& out, std::string_view digits, const NumberSymbols& symbols,
                          char32_t zero) {
    const auto primary = static_cast<std::size_t>(std::max(symbols.primaryGroupSize, 0));
    const auto secondary = symbols.secondaryGroupSize > 0
                               ? static_cast<std::size_t>(symbols.secondaryGroupSize)
                               : primary;
    const auto minimumLead = static_cast<std::size_t>(std::max(symbols.minimumGroupingDigits, 1));
    const bool grouped =
        primary > 0 && !symbols.groupSeparator.empty() && digits.size() >= primary + minimumLead;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const std::size_t remaining = digits.size() - i;
        if (grouped && i > 0 &&
            (remaining == primary ||
             (remaining > primary && (remaining - primary) % secondary == 0))) {
            out += symbols.groupSeparator;
        }
        appendDigit(out, digits[i], zero);
    }
}

// Callers pass finite values only: to_chars would spell the others "nan" and "inf".
std::string localized(double value, int fractionDigits, const NumberSymbols& symbols) {
    fractionDigits = std::clamp(fractionDigits, 0, maxFractionDigits);
    // Sign, every integer digit of the largest double, point and the most fraction digits: the
    // fixed form of any finite double fits, so to_chars cannot run out of room.
    std::array<char, 1 + (std::numeric_limits<double>::max_exponent10 + 1) + 1 + maxFractionDigits>
        buffer{};
    // libstdc++ prints the exact binary value and breaks exact ties to even: 0.125 -> "0.12".
    const char* end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, fractionDigits)
                          .ptr;
    std::string_view plain(buffer.data(), static_cast<std::size_t>(end - buffer.data()));

    const bool negative = plain.front() == '-';
    if (negative) {
        plain.remove_prefix(1);
    }
    const std::size_t point = plain.find('.');
    const std::string_view integer = plain.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : plain.substr(point + 1);
    const char32_t zero = usableZeroDigit(symbols.zeroDigit);

    std::string text;
    // -0.04 with one digit must not read "-0.0": a sign on a zero is noise.
    if (negative && plain.find_first_not_of("0.") != std::string_view::npos) {
        text += symbols.minusSign;
    }
    appendGroupedInteger(text, integer, symbols, zero);
    if (!fraction.empty()) {
        text += symbols.decimalSeparator;
        for (const char digit : fraction) {
            appendDigit(text, digit, zero);
        }
    }
    return text;
}

}  // namespace

namespace Format {

std::string percentNumber(double fraction) {
    // Converting a NaN or an infinity to an integer is undefined, so those stop here.
    if (!std::isfinite(fraction) || fraction <= 0) {
        return "0";
    }
    return std::to_string(static_cast<int>(std::round(std::min(fraction, 1.0) * 100)));
}

ByteText bytes(std::uint64_t count, int fractionDigits, const NumberSymbols& symbols) {
    const auto value = static_cast<double>(count);
    const double gibibytes = value * perGibibyte;
    if (gibibytes >= 1) {
        return {localized(gibibytes, gibibytes >= 100 ? 0 : fractionDigits, symbols), "GB"};
    }
    const double mebibytes = value * perMebibyte;
    if (mebibytes >= 1) {
        return {localized(mebibytes, mebibytes >= 100 ? 0 : 1, symbols), "MB"};
    }
    return {localized(value / 1024, 0, symbols), "KB"};
}

std::string corePercent(double percent, const NumberSymbols& symbols) {
    return localized(std::isfinite(percent) ? percent : 0.0, 1, symbols) + "%";
}

std::string uptime(std::chrono::system_clock::time_point since,
                   std::chrono::system_clock::time_point now) {
    using Duration = std::chrono::system_clock::duration;
    using Rep = Duration::rep;
    const Rep start = since.time_since_epoch().count();
    const Rep end = now.time_since_epoch().count();
    if (end <= start) {
        return "0m";
    }
    // end - start is positive here but overflows when start lies far enough before the epoch;
    // max + start cannot overflow because start is then negative.
    const bool overflows = start < 0 && end > std::numeric_limits<Rep>::max() + start;
    const Rep elapsed = overflows ? std::numeric_limits<Rep>::max() : end - start;
    const auto minutes =
        std::chrono::duration_cast<std::chrono::minutes>(Duration(elapsed)).count();

    constexpr decltype(minutes) perDay = 1440;
    if (minutes >= perDay) {
        return std::to_string(minutes / perDay) + "d " + std::to_string(minutes % perDay / 60) +
               "h";
    }
    if (minutes >= 60) {
        return std::to_string(minutes / 60) + "h " + std::to_string(minutes % 60) + "m";
    }
    return std::to_string(minutes) + "m";
}

}  // namespace Format
}  // namespace vantric
