#include "platform/linux/linux_machine_facts.hpp"

#include <utility>

#include <sys/utsname.h>

#include "platform/linux/boot_time.hpp"
#include "platform/linux/cpu_list.hpp"
#include "platform/linux/cpuinfo.hpp"
#include "platform/linux/device_slot.hpp"
#include "platform/linux/file_text.hpp"
#include "platform/linux/meminfo.hpp"
#include "platform/linux/memory_blocks.hpp"
#include "platform/linux/nvml_accelerators.hpp"
#include "platform/linux/os_release.hpp"
#include "platform/linux/processor_levels.hpp"
#include "platform/linux/utf8_text.hpp"

namespace vantric {

namespace {

// uname never fails on Linux; should it, the kernel's name stands in for both.
LinuxMachineFacts::Options withUname(LinuxMachineFacts::Options options) {
    utsname names{};
    const bool known = uname(&names) == 0;
    if (options.machine.empty()) {
        options.machine = known ? validUtf8(names.machine) : "Linux";
    }
    if (options.kernelRelease.empty() && known) {
        options.kernelRelease = validUtf8(names.release);
    }
    return options;
}

Cpuinfo readCpuinfo(const std::filesystem::path& root) {
    const auto text = readFileText(root / "proc/cpuinfo");
    return text ? parseCpuinfo(*text) : Cpuinfo{};
}

}  // namespace

LinuxMachineFacts::LinuxMachineFacts(const std::filesystem::path& root)
    : LinuxMachineFacts(root, Options{}) {}

LinuxMachineFacts::LinuxMachineFacts(const std::filesystem::path& root, Options options)
    : root_(root), options_(withUname(std::move(options))), cards_(root) {}

std::optional<std::string> LinuxMachineFacts::processorBrand() {
    if (auto name = readCpuinfo(root_).modelName) {
        return validUtf8(*name);
    }
    // /proc/device-tree links to the firmware's tree in sysfs, which serves where the link is
    // missing (containers that mount /sys but a private /proc).
    for (const char* model : {"proc/device-tree/model", "sys/firmware/devicetree/base/model"}) {
        if (const auto bytes = readFileText(root_ / model)) {
            if (std::string name = trimmedText(*bytes); !name.empty()) {
                return name;
            }
        }
    }
    return std::nullopt;
}

std::string LinuxMachineFacts::machineName() {
    return options_.machine;
}

std::optional<std::int64_t> LinuxMachineFacts::logicalProcessorCount() {
    if (const auto text = readFileText(root_ / "sys/devices/system/cpu/online")) {
        if (const auto online = parseCpuList(*text); online && !online->empty()) {
            return static_cast<std::int64_t>(online->size());
        }
    }
    const std::size_t processors = readCpuinfo(root_).processors;
    return processors > 0 ? std::optional(static_cast<std::int64_t>(processors)) : std::nullopt;
}

PerformanceLevelCounts LinuxMachineFacts::performanceLevels() {
    const auto levels = readProcessorLevels(root_);
    if (!levels) {
        return {};
    }
    return PerformanceLevelCounts{.level0 = levels->performance, .level1 = levels->efficiency};
}

std::uint64_t LinuxMachineFacts::physicalMemory() {
    if (const auto installed = readOnlineMemory(root_ / "sys/devices/system/memory")) {
        return *installed;
    }
    const auto text = readFileText(root_ / "proc/meminfo");
    return text ? parseMeminfo(*text).memTotal.value_or(0) * 1024 : 0;
}

std::vector<AcceleratorModel> LinuxMachineFacts::accelerators() {
    std::vector<AcceleratorModel> models;
    const NvmlAccelerators nvml(options_.nvmlLibrary, root_);
    for (std::size_t index = 0; index < nvml.deviceCount(); ++index) {
        const auto name = nvml.deviceName(index);
        models.push_back(
            AcceleratorModel{.device = nvml.deviceSlot(index),
                             .model = name ? std::optional(validUtf8(*name)) : std::nullopt,
                             .coreCount = nvml.deviceCoreCount(index)});
    }
    // The cards LinuxHost lists after NVML's devices, named the way it names them.
    for (DrmCard& card : drmCards(root_)) {
        models.push_back(
            AcceleratorModel{.device = std::move(card.device), .model = cards_.name(card.folder)});
    }
    return models;
}

std::optional<std::string> LinuxMachineFacts::defaultGraphicsDeviceName() {
    const auto card = cards_.bootDisplayCard();
    return card ? cards_.name(*card) : std::nullopt;
}

std::string LinuxMachineFacts::operatingSystemName() {
    // os-release(5): /usr/lib/os-release is read only when /etc/os-release does not exist.
    auto text = readFileText(root_ / "etc/os-release");
    if (!text) {
        text = readFileText(root_ / "usr/lib/os-release");
    }
    if (text) {
        if (const auto name = osReleaseValue(*text, "PRETTY_NAME"); name && !name->empty()) {
            return validUtf8(*name);
        }
    }
    return options_.kernelRelease.empty() ? "Linux" : "Linux " + options_.kernelRelease;
}

std::optional<KernelTime> LinuxMachineFacts::bootTime() {
    const auto text = readFileText(root_ / "proc/stat");
    const auto seconds = text ? parseBootTime(*text) : std::nullopt;
    return seconds ? std::optional(KernelTime{.seconds = *seconds}) : std::nullopt;
}

}  // namespace vantric
