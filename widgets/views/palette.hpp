#pragma once

#include <QColor>

#include "core/memory_pressure.hpp"

namespace vantric {

// The metric colours every view draws with, sRGB at full opacity.
namespace Palette {

const QColor& cpu();
const QColor& memory();  // also the colour of normal memory pressure
const QColor& gpu();
const QColor& elevated();  // memory pressure warning
const QColor& critical();  // memory pressure critical; any load of 0.9 or more

// normal -> memory, warning -> elevated, critical -> critical.
const QColor& forPressure(MemoryPressure pressure);
// critical at a fraction of 0.9 or more, else normalColor.
const QColor& forLoad(double fraction, const QColor& normalColor);

}  // namespace Palette
}  // namespace vantric
