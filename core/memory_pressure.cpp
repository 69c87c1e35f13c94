#include "core/memory_pressure.hpp"

namespace vantric {

std::string_view displayLabel(MemoryPressure pressure) {
    switch (pressure) {
    case MemoryPressure::normal: return "Normal";
    case MemoryPressure::warning: return "Elevated";
    case MemoryPressure::critical: return "Critical";
    }
    return "Normal";
}

}  // namespace vantric
