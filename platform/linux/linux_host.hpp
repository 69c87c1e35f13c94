#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.hpp"
#include "platform/linux/drm_accelerators.hpp"
#include "platform/linux/nvml_accelerators.hpp"
#include "platform/linux/proc_file.hpp"
#include "platform/linux/zram.hpp"

namespace vantric {

// Host statistics of a Linux machine, read from /proc and /sys under a root directory ("/" in
// production, a fixture tree in the tests) and from NVML.
//
// Processors: /proc/stat, see parseProcStat for how the kernel's ten counters fold into four and
// how an offline processor shows.
//
// Memory: the sampler forms app = internal - purgeable, wired, compressed = compressor and
// cached = external + purgeable from page counts. Linux has no such counters; they are made from
// /proc/meminfo, in pages of 1 KiB (meminfo's own unit, so nothing is rounded), so that the
// unchanged arithmetic gives Linux's own classes:
//
// | page count | from                                   | why
// |------------|----------------------------------------|-------------------------------------
// | internal   | AnonPages + Shmem                      | app memory: the anonymous pages of
// |            |                                        | processes, and shared memory (tmpfs,
// |            |                                        | SysV and memfd segments, GPU buffers),
// |            |                                        | which is swap-backed like them and
// |            |                                        | cannot be dropped
// | purgeable  | 0                                      | Linux does not count pages given back
// |            |                                        | with MADV_FREE apart from the others
// | external   | Buffers + (Cached - Shmem)             | cached files: the page cache, which
// |            |   + KReclaimable (SReclaimable before  | the kernel drops when memory is
// |            |   4.20)                                | needed, and kernel memory it can
// |            |                                        | likewise reclaim (dentries, inodes).
// |            |                                        | Cached counts shmem, taken out here
// | compressor | Zswap + mem_used_total of every        | RAM held by compressed memory; neither
// |            |   /sys/block/zramN/mm_stat             | pool shows in any other meminfo line
// | wired      | (MemTotal - MemFree) - internal        | what is allocated and is none of the
// |            |   - external - compressor, 0 if less   | above: unreclaimable slab, kernel
// |            |                                        | stacks, page tables, per-cpu and
// |            |                                        | vmalloc areas, huge page pools and
// |            |                                        | pages drivers hold (GPU buffers in
// |            |                                        | system memory), which the kernel
// |            |                                        | cannot page out
//
// Swap cache pages that no process maps fall into wired; they are few and, like wired memory, not
// available until written back. So that a reading is never more than what is allocated, app and
// compressed are held to MemTotal - MemFree where meminfo's lines (read one after another)
// disagree. Consequences:
//   - app + wired + compressed <= MemTotal - MemFree <= MemTotal, always;
//   - app + wired + compressed + cached = MemTotal - MemFree whenever the lines agree;
//   - memory in use (app + wired + compressed) is MemTotal - MemFree - the reclaimable caches,
//     within a few points of MemTotal - MemAvailable, which also holds back the kernel's reserves
//     and part of the caches;
//   - total is MemTotal, the RAM the kernel manages (installed memory less firmware and kernel
//     image);
//   - swap is SwapTotal and SwapTotal - SwapFree, zram swap devices included.
//
// Pressure: /proc/pressure/memory with the thresholds beside pressureLevelFromStall, falling back
// to the share of MemAvailable (pressureLevelFromAvailable) where PSI cannot be read.
//
// Accelerators: every NVIDIA device (NvmlAccelerators), then every DRM card that publishes a busy
// percentage (DrmAccelerators), in card order.
//
// Not thread-safe: owned by one sampler, on its thread.
class LinuxHost final : public Host {
public:
    struct Options {
        // NVML is found by the dynamic loader, not under root; the tests pass their fake or "".
        std::string nvmlLibrary = "libnvidia-ml.so.1";
        // How often the zram and DRM device folders are listed again.
        std::chrono::steady_clock::duration deviceRescan = std::chrono::seconds(60);
    };

    explicit LinuxHost(const std::filesystem::path& root = "/");
    LinuxHost(const std::filesystem::path& root, const Options& options);

    std::vector<ProcessorTicks> processorTicks() override;
    MemoryCounters memoryCounters() override;
    std::vector<Accelerator> accelerators() override;

private:
    ProcFile stat_;
    ProcFile meminfo_;
    ProcFile pressure_;
    ZramDevices zram_;
    std::optional<std::uint64_t> lastSwapTotal_;
    NvmlAccelerators nvml_;
    DrmAccelerators drm_;
};

}  // namespace vantric
