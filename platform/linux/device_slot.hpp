#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantric {

// How a graphics device is named across the program: the PCI slot the kernel gives it, written as
// the kernel writes it ("0000:03:00.0": a four-digit domain, lower-case hex), so that the names
// that NVML, sysfs and DRM's fdinfo give one device compare equal.

// The name of the device behind a DRM node from its device/uevent: the PCI slot, else the
// firmware's name of a platform device (the GPU block of an ARM board), else the node's own name
// (for a device whose uevent cannot be read).
std::string drmDeviceName(std::string_view uevent, std::string_view nodeName);

// A DRM card of root/sys/class/drm ("card0") and the name of its device.
struct DrmCard {
    std::filesystem::path folder{};
    std::string device{};
};

// The DRM cards in number order, less those of NVIDIA's own driver, which NVML reads: the cards
// the host lists after NVML's devices, and the machine facts name.
std::vector<DrmCard> drmCards(const std::filesystem::path& root);

// NVML's bus id ("00000000:4F:00.0": an eight-digit domain, upper-case hex) in the kernel's
// writing; nothing for text that is no bus id.
std::optional<std::string> kernelPciSlot(std::string_view busId);

}  // namespace vantric
