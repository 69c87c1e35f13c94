#pragma once

#include <cstdint>
#include <string>

#include <QString>

#include "core/format.hpp"

namespace vantric {

// The texts every page builds its figures from, so that each figure reads the same on every page.
QString fromUtf8(const std::string& text);
// The whole-number percentage followed by "%": "37%".
QString percentText(double fraction);
// Number, one space and unit: "1.25 GB".
QString bytesText(std::uint64_t count, int fractionDigits, const NumberSymbols& symbols);

}  // namespace vantric
