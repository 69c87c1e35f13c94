#pragma once

#include <filesystem>
#include <string>

#include "platform/linux/graphics_card_names.hpp"
#include "platform/machine_facts.hpp"

namespace vantric {

// The machine facts of Linux, read under a root directory ("/" in production, a fixture tree in
// the tests) and from NVML:
//
// | fact                   | from
// |------------------------|-----------------------------------------------------------------
// | processor brand        | the first "model name" of /proc/cpuinfo; else, on ARM, the
// |                        | device-tree model (/proc/device-tree/model, else
// |                        | /sys/firmware/devicetree/base/model), whose zero byte is trimmed
// | machine name           | uname's machine ("x86_64", "aarch64")
// | logical processors     | /sys/devices/system/cpu/online, else the "processor" entries of
// |                        | /proc/cpuinfo
// | performance levels     | see readProcessorLevels: level 0 the P cores, or on ARM every
// |                        | processor above the lowest capacity; level 1 the E cores, or the
// |                        | processors of the lowest capacity
// | physical memory        | the installed memory: the online memory blocks of
// |                        | /sys/devices/system/memory (see readOnlineMemory), as lsmem
// |                        | counts them; else MemTotal of /proc/meminfo, the RAM the kernel
// |                        | manages, a little less (firmware reservations, the kernel image)
// | accelerators           | in LinuxHost's order and under its device names: each NVML
// |                        | device (its name and core count), then each DRM card not driven
// |                        | by nvidia (named from pci.ids, no core count)
// | default graphics device| the card the firmware booted with (device/boot_vga), else the
// |                        | first card, named from pci.ids
// | operating system       | PRETTY_NAME of /etc/os-release, or of /usr/lib/os-release where
// |                        | the first does not exist; else (also for an empty PRETTY_NAME)
// |                        | "Linux " and the kernel release
// | boot time              | btime of /proc/stat, in whole seconds
//
// Every text is valid UTF-8 (see validUtf8). Each fact is read when asked for; NVML is started
// for the accelerators and closed again before it returns.
// Used once, on the main thread, when the metrics store is created.
class LinuxMachineFacts final : public MachineFacts {
public:
    struct Options {
        // NVML is found by the dynamic loader, not under root; the tests pass their fake or "".
        std::string nvmlLibrary = "libnvidia-ml.so.1";
        // uname's machine and kernel release when empty: a fixture tree has its own.
        std::string machine{};
        std::string kernelRelease{};
    };

    explicit LinuxMachineFacts(const std::filesystem::path& root = "/");
    LinuxMachineFacts(const std::filesystem::path& root, Options options);

    std::optional<std::string> processorBrand() override;
    std::string machineName() override;
    std::optional<std::int64_t> logicalProcessorCount() override;
    PerformanceLevelCounts performanceLevels() override;
    std::uint64_t physicalMemory() override;
    std::vector<AcceleratorModel> accelerators() override;
    std::optional<std::string> defaultGraphicsDeviceName() override;
    std::string operatingSystemName() override;
    std::optional<KernelTime> bootTime() override;

private:
    std::filesystem::path root_;
    Options options_;
    GraphicsCardNames cards_;
};

}  // namespace vantric
