#include "widgets/views/palette.hpp"

namespace vantric::Palette {

const QColor& cpu() {
    static const QColor color = QColor::fromRgbF(0.26f, 0.55f, 1.0f);
    return color;
}

const QColor& memory() {
    static const QColor color = QColor::fromRgbF(0.19f, 0.78f, 0.56f);
    return color;
}

const QColor& gpu() {
    static const QColor color = QColor::fromRgbF(0.98f, 0.55f, 0.20f);
    return color;
}

const QColor& elevated() {
    static const QColor color = QColor::fromRgbF(1.0f, 0.76f, 0.16f);
    return color;
}

const QColor& critical() {
    static const QColor color = QColor::fromRgbF(1.0f, 0.30f, 0.26f);
    return color;
}

const QColor& forPressure(MemoryPressure pressure) {
    switch (pressure) {
    case MemoryPressure::normal: return memory();
    case MemoryPressure::warning: return elevated();
    case MemoryPressure::critical: return critical();
    }
    return memory();
}

const QColor& forLoad(double fraction, const QColor& normalColor) {
    // Written so that NaN, an unknown load, is not shown as an alarm.
    return fraction >= 0.9 ? critical() : normalColor;
}

}  // namespace vantric::Palette
