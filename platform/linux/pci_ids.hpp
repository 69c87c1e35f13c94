#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// A PCI id attribute of sysfs (device/vendor, device/device: "0x1002\n") -> the id.
std::optional<std::uint16_t> parsePciId(std::string_view text);

// The name the PCI id database (pci.ids) gives a device: its device line under the vendor, or the
// vendor's own line when the device is not listed; nothing when the vendor is not. The database
// is lines of "vendor  name", then "<tab>device  name" and "<tab><tab>subvendor subdevice  name"
// under each vendor, with # comments, and the device classes ("C 03  Display controller") at the
// end. The scan stops at the end of the vendor's block. The name's bytes are not checked as UTF-8.
std::optional<std::string> pciDeviceName(std::string_view database, std::uint16_t vendor,
                                         std::uint16_t device);

}  // namespace vantric
