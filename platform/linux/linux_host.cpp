#include "platform/linux/linux_host.hpp"

#include "platform/linux/meminfo.hpp"
#include "platform/linux/memory_mapping.hpp"
#include "platform/linux/pressure.hpp"
#include "platform/linux/proc_stat.hpp"

namespace vantric {

LinuxHost::LinuxHost(const std::filesystem::path& root) : LinuxHost(root, Options{}) {}

LinuxHost::LinuxHost(const std::filesystem::path& root, const Options& options)
    : stat_(root / "proc/stat"),
      meminfo_(root / "proc/meminfo"),
      pressure_(root / "proc/pressure/memory"),
      zram_(root, options.deviceRescan),
      nvml_(options.nvmlLibrary),
      drm_(root, options.deviceRescan) {}

std::vector<ProcessorTicks> LinuxHost::processorTicks() {
    const auto text = stat_.read();
    return text ? parseProcStat(*text) : std::vector<ProcessorTicks>{};
}

MemoryCounters LinuxHost::memoryCounters() {
    const auto text = meminfo_.read();
    const Meminfo info = text ? parseMeminfo(*text) : Meminfo{};

    std::optional<std::int32_t> pressureLevel;
    if (const auto psi = pressure_.read()) {
        if (const auto stall = parsePressure(*psi)) {
            pressureLevel = pressureLevelFromStall(*stall);
        }
    }
    if (!pressureLevel) {
        pressureLevel = pressureLevelFromAvailable(info);
    }

    // A zram device turned into swap changes SwapTotal: list the devices again at once rather
    // than at the next periodic listing.
    if (info.swapTotal != lastSwapTotal_) {
        zram_.listAgain();
        lastSwapTotal_ = info.swapTotal;
    }

    return MemoryCounters{
        .physicalMemory = info.memTotal.value_or(0) * 1024,
        .pages = vmPageCountsFromMeminfo(info, zram_.memoryUsed()),
        .swap = swapUsageFromMeminfo(info),
        .pressureLevel = pressureLevel,
    };
}

std::vector<Accelerator> LinuxHost::accelerators() {
    std::vector<Accelerator> found;
    nvml_.append(found);
    drm_.append(found);
    return found;
}

}  // namespace vantric
