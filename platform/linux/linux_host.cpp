#include "platform/linux/linux_host.hpp"

#include <algorithm>

#include <unistd.h>

#include "platform/linux/meminfo.hpp"
#include "platform/linux/memory_mapping.hpp"
#include "platform/linux/pressure.hpp"
#include "platform/linux/proc_stat.hpp"
#include "platform/linux/zoneinfo.hpp"

namespace vantric {

std::uint64_t LinuxHost::systemPageSize() {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::uint64_t>(size) : 4096;
}

LinuxHost::LinuxHost(const std::filesystem::path& root) : LinuxHost(root, Options{}) {}

LinuxHost::LinuxHost(const std::filesystem::path& root, const Options& options)
    : stat_(root / "proc/stat"),
      meminfo_(root / "proc/meminfo"),
      zoneinfo_(root / "proc/zoneinfo"),
      pressure_(root / "proc/pressure/memory"),
      pageSize_(options.pageSize),
      zram_(root, options.deviceRescan),
      root_(root),
      nvml_(options.nvmlLibrary, root),
      drm_(root, options.deviceRescan),
      sharedClients_(options.gpuClients) {}

std::vector<ProcessorTicks> LinuxHost::processorTicks() {
    const auto text = stat_.read();
    return text ? parseProcStat(*text) : std::vector<ProcessorTicks>{};
}

std::uint32_t LinuxHost::ticksPerSecond() {
    // /proc/stat counts in USER_HZ, which the C library reports; 100 on every Linux port.
    const long reported = sysconf(_SC_CLK_TCK);
    return reported > 0 ? static_cast<std::uint32_t>(reported) : 100;
}

MemoryCounters LinuxHost::memoryCounters() {
    const auto text = meminfo_.read();
    const Meminfo info = text ? parseMeminfo(*text) : Meminfo{};
    // Straight after meminfo, so that the two files are read as close to one instant as can be.
    const auto zones = zoneinfo_.read();
    const std::uint64_t perCpuFreePages = zones ? parsePerCpuFreePages(*zones).value_or(0) : 0;

    // The raw levels 1, 2 and 4 grow with the pressure, so the worse level is the larger.
    std::optional<std::int32_t> pressureLevel = pressureLevelFromAvailable(info);
    if (const auto psi = pressure_.read()) {
        if (const auto stall = parsePressure(*psi)) {
            pressureLevel =
                std::max(pressureLevel.value_or(pressureNormal), pressureLevelFromStall(*stall));
        }
    }

    // A zram device turned into swap changes SwapTotal: list the devices again at once rather
    // than at the next periodic listing.
    if (info.swapTotal != lastSwapTotal_) {
        zram_.listAgain();
        lastSwapTotal_ = info.swapTotal;
    }

    return MemoryCounters{
        .physicalMemory = info.memTotal.value_or(0) * 1024,
        .pages = vmPageCountsFromMeminfo(info, zram_.memoryUsed(), perCpuFreePages * pageSize_),
        .swap = swapUsageFromMeminfo(info),
        .pressureLevel = pressureLevel,
    };
}

std::vector<Accelerator> LinuxHost::accelerators() {
    std::vector<Accelerator> found;
    nvml_.append(found, sharedClients_.get());
    if (sharedClients_) {
        drm_.append(found, sharedClients_.get());
        return found;
    }
    if (!ownTable_ && drm_.countsClients()) {
        ownClients_ = std::make_shared<GpuClients>();
        // Used a few times a minute: its files are opened afresh each time rather than kept.
        ownTable_ = std::make_unique<LinuxProcessTable>(
            root_,
            LinuxProcessTable::Options{
                .keptOpenLimit = 0, .gpuClients = ownClients_, .drmScan = {.keptOpenLimit = 0}});
    }
    if (ownTable_) {
        ownTable_->countProcesses();
    }
    drm_.append(found, ownClients_.get());
    return found;
}

}  // namespace vantric
