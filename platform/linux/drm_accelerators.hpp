#pragma once

#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/host.hpp"
#include "platform/linux/device_directory.hpp"
#include "platform/linux/proc_file.hpp"

namespace vantric {

// Graphics cards whose DRM driver publishes a busy percentage (amdgpu):
// root/sys/class/drm/cardN/device/gpu_busy_percent, with the card's memory in
// mem_info_vram_used (its own memory) and mem_info_gtt_used (system memory mapped for it).
//
// Each card publishes
//   "Device Utilization %"  gpu_busy_percent
//   "In use system memory"  VRAM used + GTT used: all memory the card's driver has in use
//   "Alloc system memory"   the same: amdgpu reports no allocation apart from use
// and no renderer or tiler figure, which the driver does not have. A card whose busy file cannot
// be read has no statistics for that reading.
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

    void append(std::vector<Accelerator>& accelerators);

private:
    struct Card {
        ProcFile powerState;
        ProcFile busy;
        ProcFile vramUsed;
        ProcFile gttUsed;
    };

    void rescan();

    std::filesystem::path drmDirectory_;
    RescanSchedule rescan_;
    std::vector<Card> cards_;
};

}  // namespace vantric
