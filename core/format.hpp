#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vantric {

// How the user's locale writes a number. The core has no locale of its own: the application fills
// this from its locale and passes it in, so a change of locale while the program runs shows on the
// next figure. The defaults are those of English (United States). Every text is UTF-8.
struct NumberSymbols {
    std::string decimalSeparator = ".";
    std::string groupSeparator = ",";  // fr_FR: U+202F NARROW NO-BREAK SPACE
    std::string minusSign = "-";
    int primaryGroupSize = 3;    // the rightmost group of the integer part
    int secondaryGroupSize = 3;  // every group left of it; 2 in Indian locales: 12,34,567
    // Fewest digits the leftmost group must have before the integer part is grouped at all:
    // 2 in Spanish, which writes 1024 but 10.240.
    int minimumGroupingDigits = 1;
    // Digit d is written as the character zeroDigit + d: U+0660 for Arabic-Indic digits.
    char32_t zeroDigit = U'0';
};

struct ByteText {
    std::string number;
    std::string unit;  // "KB", "MB" or "GB"

    bool operator==(const ByteText&) const = default;
};

// Every figure the window and the widgets show passes through here, so a number reads the same on
// every page. Pure functions without state; each always returns a text.
//
// Byte counts use multiples of 1024 because memory comes in powers of two: 16 GiB of installed
// memory reads 16.0 GB, the size printed on the module, rather than 17.2. The units keep the short
// names KB, MB and GB that people know from memory sizes.
//
// Rendered numbers have exactly the requested fraction digits, padded with zeros, and round the
// exact binary value to the nearest, ties to even: 1.125 GiB with two digits reads 1.12.
namespace Format {

// A load fraction as whole percent without a percent sign: "0" to "100", plain ASCII digits.
// Fractions above 1 read 100; 0, negative and non-finite fractions read 0. Rounds halves away from
// zero, so 0.125 reads 13.
std::string percentNumber(double fraction);

// The count in GB with fractionDigits fraction digits (none from 100 GB on), else in MB with one
// (none from 100 MB on), else in KB with none. The unit is chosen on the exact count before
// rounding, so one byte short of 1 GiB reads 1,024 MB. Nothing above GB: 2 TiB reads 2,048 GB.
ByteText bytes(std::uint64_t count, int fractionDigits, const NumberSymbols& symbols);

// A processor share already in percent (100 = one busy processor; a process on several reads
// more), with one fraction digit and "%": 12.34 reads 12.3%. Non-finite values read as zero, and a
// value that rounds to zero has no minus sign.
std::string corePercent(double percent, const NumberSymbols& symbols);

// Time from since to now in whole minutes, as "3d 4h", "2h 5m" or "59m", plain ASCII digits.
// now before since reads 0m; a span too long for the clock's duration type saturates.
std::string uptime(std::chrono::system_clock::time_point since,
                   std::chrono::system_clock::time_point now);

}  // namespace Format
}  // namespace vantric
