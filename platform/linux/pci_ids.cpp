#include "platform/linux/pci_ids.hpp"

#include <charconv>

namespace vantric {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

// The four lower-case hex digits the database writes an id with.
std::string hexId(std::uint16_t id) {
    std::string digits(4, '0');
    for (std::size_t index = 4; index-- > 0; id = static_cast<std::uint16_t>(id >> 4U)) {
        digits[index] = hexDigits[id & 0xFU];
    }
    return digits;
}

// The name of an entry line whose text after its indent is "<id>  <name>"; nothing when the line
// is another id's.
std::optional<std::string_view> entryName(std::string_view entry, std::string_view id) {
    if (!entry.starts_with(id) || entry.size() <= id.size() ||
        (entry[id.size()] != ' ' && entry[id.size()] != '\t')) {
        return std::nullopt;
    }
    entry.remove_prefix(id.size());
    const std::size_t start = entry.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    return entry.substr(start);
}

}  // namespace

std::optional<std::uint16_t> parsePciId(std::string_view text) {
    if (text.ends_with('\n')) {
        text.remove_suffix(1);
    }
    if (!text.starts_with("0x") || text.size() < 3 || text.size() > 6) {
        return std::nullopt;
    }
    std::uint16_t id = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + 2, end, id, 16);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return id;
}

std::optional<std::string> pciDeviceName(std::string_view database, std::uint16_t vendor,
                                         std::uint16_t device) {
    const std::string vendorId = hexId(vendor);
    const std::string deviceId = hexId(device);
    std::optional<std::string_view> vendorName;
    while (!database.empty()) {
        const std::size_t end = database.find('\n');
        std::string_view line = database.substr(0, end);
        database.remove_prefix(end == std::string_view::npos ? database.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        if (!vendorName) {
            vendorName = entryName(line, vendorId);
            continue;
        }
        // Any line at the left margin ends the vendor's block: the next vendor or the classes.
        if (!line.starts_with('\t')) {
            break;
        }
        line.remove_prefix(1);
        if (const auto name = entryName(line, deviceId)) {
            return std::string(*name);
        }
    }
    return vendorName ? std::optional<std::string>(*vendorName) : std::nullopt;
}

}  // namespace vantric
