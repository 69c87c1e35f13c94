#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vantric {

// The DRM cards of root/sys/class/drm and their names, looked up by PCI vendor and device id in
// the PCI id database: root/usr/share/misc/pci.ids (Debian, Arch), else
// root/usr/share/hwdata/pci.ids (Fedora, SUSE). The database is about 1.4 MB, so it is read only
// when a card is first named, and kept for the next. Nothing here wakes a card that runtime power
// management has put to sleep: the busy file is only looked for, not read, and the PCI id files
// come from the kernel's copy of the card's configuration space.
// Used once, by LinuxMachineFacts on the main thread.
class GraphicsCardNames {
public:
    explicit GraphicsCardNames(std::filesystem::path root);

    // The card the firmware showed the boot screen on (device/boot_vga reads 1), else the first
    // card; nothing when there is no card.
    std::optional<std::filesystem::path> bootDisplayCard() const;

    // The database's name for the card: its device line, else its vendor's. Nothing when the card
    // has no PCI ids (the platform devices of ARM boards), or the database cannot be read or does
    // not list the vendor. Valid UTF-8.
    std::optional<std::string> name(const std::filesystem::path& card);

private:
    const std::optional<std::string>& database();

    std::filesystem::path root_;
    std::optional<std::optional<std::string>> database_;  // outer: read yet; inner: readable
};

}  // namespace vantric
