#pragma once

#include <QColor>

// What the fake widget plug-in draws, for the tests that look at its pictures.
namespace vantric::fake_bundle {

// The CPU load of every measured entry; the placeholder never has it.
inline constexpr double measuredLoad = 0.4375;
inline const QColor measuredColor{0, 160, 0};
inline const QColor placeholderColor{200, 0, 0};
inline constexpr double cornerRadius = 20;

}  // namespace vantric::fake_bundle
