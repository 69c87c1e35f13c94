#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantric {

// One application's share of the machine in one pass: every process it owns, summed.
struct AppUsage {
    std::string id{};                         // the grouping key; unique within one sample
    std::string name{};                       // what the row shows
    std::optional<std::string> bundlePath{};  // the application bundle, for its icon
    // The desktop entry's icon of a desktop application: its Icon value, and the image file the
    // icon theme gives for it.
    std::optional<std::string> iconName{};
    std::optional<std::string> iconPath{};
    double cpu = 0;            // percent of one processor, so a busy multi-process app can pass 100
    double cpuSeconds = 0;     // the processor time behind cpu: its processes' since the last pass
    std::uint64_t memory = 0;  // bytes, the processes' footprints summed
    int processCount = 0;
    // Percent of one graphics device, summed over the processes that have a figure (at most
    // 100); absent where none has, which is not the same as idle.
    std::optional<double> gpu{};
    // Bytes of graphics buffers the processes hold; absent where no driver accounts them.
    std::optional<std::uint64_t> gpuMemory{};

    bool operator==(const AppUsage&) const = default;
};

// The result of one pass over the process table.
struct ProcessSample {
    std::vector<AppUsage> apps{};  // one row per application, in the order first listed
    int processCount = 0;          // processes the table listed
    int readableProcessCount = 0;  // of those, the ones whose usage could be read
};

}  // namespace vantric
