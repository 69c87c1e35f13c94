#include "platform/linux/zram.hpp"

#include <utility>

#include "platform/linux/text_fields.hpp"

namespace vantric {

std::optional<std::uint64_t> parseZramMemoryUsed(std::string_view mmStat) {
    const std::size_t end = mmStat.find('\n');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = mmStat.substr(0, end);
    // orig_data_size compr_data_size mem_used_total ...
    std::optional<std::uint64_t> value;
    for (int field = 0; field < 3; ++field) {
        value = parseUnsigned(nextToken(rest));
        if (!value) {
            return std::nullopt;
        }
    }
    return value;
}

ZramDevices::ZramDevices(const std::filesystem::path& root,
                         std::chrono::steady_clock::duration rescan)
    : blockDirectory_(root / "sys/block"), rescan_(rescan) {}

std::uint64_t ZramDevices::memoryUsed() {
    if (rescan_.due() || std::exchange(listAgain_, false)) {
        mmStats_.clear();
        for (const auto& device : numberedEntries(blockDirectory_, "zram")) {
            // A device that was never given a size holds no memory; many systems load zram with
            // one such device. It is looked at again at the next listing.
            ProcFile initState(device / "initstate");
            const auto state = initState.read();
            if (state && parseAttributeNumber(*state) == 0U) {
                continue;
            }
            mmStats_.emplace_back(device / "mm_stat");
        }
    }
    std::uint64_t total = 0;
    for (ProcFile& mmStat : mmStats_) {
        if (const auto text = mmStat.read()) {
            total += parseZramMemoryUsed(*text).value_or(0);
        }
    }
    return total;
}

}  // namespace vantric
