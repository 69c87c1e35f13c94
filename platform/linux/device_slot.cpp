#include "platform/linux/device_slot.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "platform/linux/device_directory.hpp"
#include "platform/linux/file_text.hpp"
#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

// A field of hex digits, at most maximum, consumed from rest up to the separator (or the end
// when separator is 0).
std::optional<std::uint32_t> hexField(std::string_view& rest, char separator,
                                      std::uint32_t maximum) {
    const std::size_t end = separator == 0 ? rest.size() : rest.find(separator);
    if (end == std::string_view::npos || end == 0 || end > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    const auto [stop, error] = std::from_chars(rest.data(), rest.data() + end, value, 16);
    if (error != std::errc{} || stop != rest.data() + end || value > maximum) {
        return std::nullopt;
    }
    rest.remove_prefix(separator == 0 ? end : end + 1);
    return value;
}

}  // namespace

std::string drmDeviceName(std::string_view uevent, std::string_view nodeName) {
    for (const std::string_view key : {"PCI_SLOT_NAME", "OF_FULLNAME"}) {
        if (const auto value = assignedValue(uevent, key, '\n'); value && !value->empty()) {
            return std::string(*value);
        }
    }
    return std::string(nodeName);
}

std::vector<DrmCard> drmCards(const std::filesystem::path& root) {
    std::vector<DrmCard> cards;
    for (auto& folder : numberedEntries(root / "sys/class/drm", "card")) {
        const std::string uevent = readFileText(folder / "device/uevent").value_or(std::string());
        if (assignedValue(uevent, "DRIVER", '\n') == "nvidia") {
            continue;
        }
        std::string device = drmDeviceName(uevent, folder.filename().string());
        cards.push_back(DrmCard{.folder = std::move(folder), .device = std::move(device)});
    }
    return cards;
}

std::optional<std::string> kernelPciSlot(std::string_view busId) {
    // domain:bus:device.function; the bus is 8 bits, the device 5 and the function 3.
    std::string_view rest = busId;
    const auto domain = hexField(rest, ':', 0xffffffff);
    const auto bus = domain ? hexField(rest, ':', 0xff) : std::nullopt;
    const auto device = bus ? hexField(rest, '.', 0x1f) : std::nullopt;
    const auto function = device ? hexField(rest, 0, 7) : std::nullopt;
    if (!function) {
        return std::nullopt;
    }
    std::array<char, 32> text{};
    const int length = std::snprintf(text.data(), text.size(), "%04x:%02x:%02x.%x", *domain, *bus,
                                     *device, *function);
    return std::string(text.data(), static_cast<std::size_t>(length));
}

}  // namespace vantric
