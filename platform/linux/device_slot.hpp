#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// How a graphics device is named across the program: the PCI slot the kernel gives it, written as
// the kernel writes it ("0000:03:00.0": a four-digit domain, lower-case hex), so that the names
// that NVML, sysfs and DRM's fdinfo give one device compare equal.

// The value of key in a sysfs uevent file ("KEY=value" lines); nothing when it is not there.
std::optional<std::string_view> ueventValue(std::string_view uevent, std::string_view key);

// The name of the device behind a DRM node from its device/uevent: the PCI slot, else the
// firmware's name of a platform device (the GPU block of an ARM board), else the node's own name
// (for a device whose uevent cannot be read).
std::string drmDeviceName(std::string_view uevent, std::string_view nodeName);

// NVML's bus id ("00000000:4F:00.0": an eight-digit domain, upper-case hex) in the kernel's
// writing; nothing for text that is no bus id.
std::optional<std::string> kernelPciSlot(std::string_view busId);

}  // namespace vantric
