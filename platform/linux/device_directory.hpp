#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace vantric {

// The entries of directory named prefix followed by a number ("card0", "zram3"), in numeric
// order; empty when the directory cannot be listed. Connector entries such as "card0-DP-1" do not
// match.
std::vector<std::filesystem::path> numberedEntries(const std::filesystem::path& directory,
                                                   std::string_view prefix);

// Says when a device list is due to be listed again: at the first ask, then once per interval.
// Listing a sysfs folder costs more than reading the devices in it, so the lists are kept and
// renewed now and then, which brings a device plugged in later into view within the interval.
class RescanSchedule {
public:
    explicit RescanSchedule(std::chrono::steady_clock::duration interval) : interval_(interval) {}

    bool due() {
        const auto now = std::chrono::steady_clock::now();
        if (last_ && now - *last_ < interval_) {
            return false;
        }
        last_ = now;
        return true;
    }

private:
    std::chrono::steady_clock::duration interval_;
    std::optional<std::chrono::steady_clock::time_point> last_;
};

}  // namespace vantric
