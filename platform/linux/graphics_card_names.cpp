#include "platform/linux/graphics_card_names.hpp"

#include <fstream>
#include <system_error>
#include <utility>

#include "platform/linux/device_directory.hpp"
#include "platform/linux/file_text.hpp"
#include "platform/linux/pci_ids.hpp"
#include "platform/linux/text_fields.hpp"
#include "platform/linux/utf8_text.hpp"

namespace vantric {

namespace {

// Ten times today's database; a larger file is not one.
constexpr std::uintmax_t largestDatabase = std::uintmax_t{16} << 20;

std::optional<std::string> readDatabase(const std::filesystem::path& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > largestDatabase) {
        return std::nullopt;
    }
    std::string text(size, '\0');
    std::ifstream stream(path, std::ios::binary);
    if (!stream.read(text.data(), static_cast<std::streamsize>(size))) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::uint16_t> readPciId(const std::filesystem::path& path) {
    const auto text = readFileText(path);
    return text ? parsePciId(*text) : std::nullopt;
}

}  // namespace

GraphicsCardNames::GraphicsCardNames(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<std::filesystem::path> GraphicsCardNames::bootDisplayCard() const {
    const auto cards = numberedEntries(root_ / "sys/class/drm", "card");
    for (const auto& card : cards) {
        const auto bootVga = readFileText(card / "device/boot_vga");
        if (bootVga && parseAttributeNumber(*bootVga) == 1U) {
            return card;
        }
    }
    return cards.empty() ? std::nullopt : std::optional(cards.front());
}

std::optional<std::string> GraphicsCardNames::name(const std::filesystem::path& card) {
    const auto vendor = readPciId(card / "device/vendor");
    const auto device = readPciId(card / "device/device");
    if (!vendor || !device || !database()) {
        return std::nullopt;
    }
    const auto found = pciDeviceName(*database(), *vendor, *device);
    return found ? std::optional(validUtf8(*found)) : std::nullopt;
}

const std::optional<std::string>& GraphicsCardNames::database() {
    if (!database_) {
        auto text = readDatabase(root_ / "usr/share/misc/pci.ids");
        database_ = text ? std::move(text) : readDatabase(root_ / "usr/share/hwdata/pci.ids");
    }
    return *database_;
}

}  // namespace vantric
