#pragma once

#include <string>
#include <string_view>

namespace vantric {

// Texts the kernel passes on from firmware and drivers (CPUID brand strings, device-tree
// properties, driver names) are bytes nobody checked. What crosses the platform interfaces is
// valid UTF-8, made so here.

// bytes with each ill-formed sequence replaced by U+FFFD, one for each maximal subpart as Unicode
// recommends: "\xE2\x82" (a sequence cut short) is one replacement, "\xFF\xFF" two. Overlong
// forms, surrogates and code points beyond U+10FFFF are ill-formed.
std::string validUtf8(std::string_view bytes);

// validUtf8(bytes) less the whitespace and control characters at both ends: the zero byte that
// ends a raw property, the newline of a sysfs attribute, the blanks that pad a firmware string.
std::string trimmedText(std::string_view bytes);

}  // namespace vantric
