#include "platform/linux/drm_accelerators.hpp"

#include <optional>
#include <system_error>

#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

std::optional<std::uint64_t> readNumber(ProcFile& file) {
    const auto text = file.read();
    return text ? parseAttributeNumber(*text) : std::nullopt;
}

}  // namespace

DrmAccelerators::DrmAccelerators(const std::filesystem::path& root,
                                 std::chrono::steady_clock::duration rescan)
    : drmDirectory_(root / "sys/class/drm"), rescan_(rescan) {}

void DrmAccelerators::rescan() {
    cards_.clear();
    for (const auto& card : numberedEntries(drmDirectory_, "card")) {
        const auto device = card / "device";
        std::error_code error;
        if (!std::filesystem::exists(device / "gpu_busy_percent", error)) {
            continue;
        }
        cards_.push_back(Card{
            .powerState = ProcFile(device / "power/runtime_status"),
            .busy = ProcFile(device / "gpu_busy_percent"),
            .vramUsed = ProcFile(device / "mem_info_vram_used"),
            .gttUsed = ProcFile(device / "mem_info_gtt_used"),
        });
    }
}

void DrmAccelerators::append(std::vector<Accelerator>& accelerators) {
    if (rescan_.due()) {
        rescan();
    }
    for (Card& card : cards_) {
        const auto powerState = card.powerState.read();
        if (powerState && powerState->starts_with("suspended")) {
            accelerators.push_back(Accelerator{
                .statistics = PerformanceStatistics{{"Device Utilization %", std::uint64_t{0}}}});
            continue;
        }
        const auto busy = readNumber(card.busy);
        if (!busy) {
            accelerators.push_back(Accelerator{});
            continue;
        }
        PerformanceStatistics statistics{{"Device Utilization %", *busy}};
        const auto vram = readNumber(card.vramUsed);
        const auto gtt = readNumber(card.gttUsed);
        if (vram || gtt) {
            const std::uint64_t inUse = vram.value_or(0) + gtt.value_or(0);
            statistics.emplace("In use system memory", inUse);
            statistics.emplace("Alloc system memory", inUse);
        }
        accelerators.push_back(Accelerator{.statistics = std::move(statistics)});
    }
}

}  // namespace vantric
