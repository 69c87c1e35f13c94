#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/host.hpp"
#include "platform/linux/device_directory.hpp"
#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/proc_file.hpp"

namespace vantric {

// The DRM cards of root/sys/class/drm, as drmCards lists and names them. Its load comes from one of
// two sources:
//
// A busy file (amdgpu): device/gpu_busy_percent, with the card's memory in mem_info_vram_used
// (its own memory) and mem_info_gtt_used (system memory mapped for it):
//   "Device Utilization %"                          gpu_busy_percent
//   "In use video memory" / "Alloc video memory"    VRAM used (amdgpu reports no allocation
//                                                   apart from use)
//   "In use system memory" / "Alloc system memory"  GTT used
// A card whose busy file cannot be read has no statistics for that reading.
//
// Its clients (every other driver that publishes client counters: i915 since Linux 5.19 and Gen8,
// xe, msm, v3d, panfrost and panthor with their profiling switch on, ...): the busiest engine's
// share over the last pass of the process table, from the clients of this user's processes
// (GpuClients; ownProcessesOnly is set), with their buffers as memory: resident buffers as in use,
// all buffers as allocated, split into video and system memory by region. A card has such figures
// once a client of it has shown engine counters; from then on it reads 0 % while none of this
// user's processes has a client of it. Before, and for a card whose driver publishes none
// (nouveau, simpledrm, older i915), it has no statistics: nothing is shown as an idle figure that
// could not be measured.
//
// Reading the busy or memory files resumes a card that runtime power management has put to sleep
// (the discrete card of a hybrid laptop), and a monitor that reads it every second would keep it
// awake all day. So device/power/runtime_status is read first, which does not wake the card: a
// card that is "suspended" reads as 0 % busy with no memory figures (its memory is given back
// while it sleeps).
// Owned by LinuxHost, on its thread.
class DrmAccelerators {
public:
    DrmAccelerators(const std::filesystem::path& root, std::chrono::steady_clock::duration rescan);

    // clients: the last pass's client figures; null where no pass runs.
    void append(std::vector<Accelerator>& accelerators, const GpuClients* clients);

    // Whether a card without a busy file is in the list: its load can only come from clients.
    bool countsClients();

private:
    struct Card {
        std::string device;
        bool hasBusyFile = false;
        std::unique_ptr<ProcFile> powerState{};
        std::unique_ptr<ProcFile> busy{};
        std::unique_ptr<ProcFile> vramUsed{};
        std::unique_ptr<ProcFile> gttUsed{};
    };

    void rescanIfDue();
    Accelerator fromBusyFile(Card& card);
    static Accelerator fromClients(const Card& card, const GpuClients* clients);

    std::filesystem::path root_;
    RescanSchedule rescan_;
    std::vector<Card> cards_;
};

}  // namespace vantric
