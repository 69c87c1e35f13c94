#include "platform/linux/drm_accelerators.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <system_error>

#include "platform/linux/device_slot.hpp"
#include "platform/linux/text_fields.hpp"

namespace vantric {

namespace {

std::optional<std::uint64_t> readNumber(ProcFile& file) {
    const auto text = file.read();
    return text ? parseAttributeNumber(*text) : std::nullopt;
}

void addMemory(PerformanceStatistics& statistics, const DrmClientMemory& memory) {
    if (memory.videoTotal > 0 || memory.videoResident > 0) {
        statistics.emplace("In use video memory", memory.videoResident);
        statistics.emplace("Alloc video memory", memory.videoTotal);
    }
    if (memory.systemTotal > 0 || memory.systemResident > 0) {
        statistics.emplace("In use system memory", memory.systemResident);
        statistics.emplace("Alloc system memory", memory.systemTotal);
    }
}

}  // namespace

DrmAccelerators::DrmAccelerators(const std::filesystem::path& root,
                                 std::chrono::steady_clock::duration rescan)
    : root_(root), rescan_(rescan) {}

void DrmAccelerators::rescanIfDue() {
    if (!rescan_.due()) {
        return;
    }
    cards_.clear();
    for (DrmCard& card : drmCards(root_)) {
        const auto device = card.folder / "device";
        std::error_code error;
        const bool busy = std::filesystem::exists(device / "gpu_busy_percent", error);
        Card entry{.device = std::move(card.device), .hasBusyFile = busy};
        entry.powerState = std::make_unique<ProcFile>(device / "power/runtime_status");
        if (busy) {
            entry.busy = std::make_unique<ProcFile>(device / "gpu_busy_percent");
            entry.vramUsed = std::make_unique<ProcFile>(device / "mem_info_vram_used");
            entry.gttUsed = std::make_unique<ProcFile>(device / "mem_info_gtt_used");
        }
        cards_.push_back(std::move(entry));
    }
}

bool DrmAccelerators::countsClients() {
    rescanIfDue();
    return std::any_of(cards_.begin(), cards_.end(),
                       [](const Card& card) { return !card.hasBusyFile; });
}

void DrmAccelerators::append(std::vector<Accelerator>& accelerators, const GpuClients* clients) {
    rescanIfDue();
    for (Card& card : cards_) {
        const auto powerState = card.powerState->read();
        if (powerState && powerState->starts_with("suspended")) {
            accelerators.push_back(Accelerator{
                .device = card.device,
                .ownProcessesOnly = !card.hasBusyFile,
                .statistics = PerformanceStatistics{{"Device Utilization %", std::uint64_t{0}}}});
            continue;
        }
        accelerators.push_back(card.hasBusyFile ? fromBusyFile(card) : fromClients(card, clients));
    }
}

Accelerator DrmAccelerators::fromBusyFile(Card& card) {
    const auto busy = readNumber(*card.busy);
    if (!busy) {
        return Accelerator{.device = card.device};
    }
    PerformanceStatistics statistics{{"Device Utilization %", *busy}};
    if (const auto vram = readNumber(*card.vramUsed)) {
        statistics.emplace("In use video memory", *vram);
        statistics.emplace("Alloc video memory", *vram);
    }
    if (const auto gtt = readNumber(*card.gttUsed)) {
        statistics.emplace("In use system memory", *gtt);
        statistics.emplace("Alloc system memory", *gtt);
    }
    return Accelerator{.device = card.device, .statistics = std::move(statistics)};
}

Accelerator DrmAccelerators::fromClients(const Card& card, const GpuClients* clients) {
    Accelerator accelerator{.device = card.device, .ownProcessesOnly = true};
    if (clients == nullptr || !clients->countedDevices.contains(card.device)) {
        return accelerator;
    }
    const auto found = clients->drm.devices.find(card.device);
    const DrmDeviceUsage usage =
        found != clients->drm.devices.end() ? found->second : DrmDeviceUsage{};
    PerformanceStatistics statistics{{"Device Utilization %", usage.busy.value_or(0) * 100.0}};
    addMemory(statistics, usage.memory);
    accelerator.statistics = std::move(statistics);
    return accelerator;
}

}  // namespace vantric
