#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.hpp"
#include "platform/linux/drm_accelerators.hpp"
#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/linux_process_table.hpp"
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
// | wired      | (MemTotal - MemFree - per-CPU free)    | what is allocated and is none of the
// |            |   - internal - external - compressor,  | above: unreclaimable slab, kernel
// |            |   0 if less                            |
// |            |                                        | stacks, page tables, per-cpu and
// |            |                                        | vmalloc areas, huge page pools and
// |            |                                        | pages drivers hold (GPU buffers in
// |            |                                        | system memory), which the kernel
// |            |                                        | cannot page out
//
// Per-CPU free is the free pages waiting on the allocator's per-processor lists, the "count:" lines
// of /proc/zoneinfo times the page size. They are as free as MemFree's, which leaves them out, and
// they swing by hundreds of MB as processes free memory: without them wired would jump with every
// large free. zoneinfo is read at every reading: it costs about as much as meminfo per processor
// listed (18 to 38 us for 2 processors here, against 3 to 5 ms for the process table's pass). A
// zoneinfo that cannot be read counts no per-CPU pages.
//
// Swap cache pages that no process maps fall into wired; they are few and, like wired memory, not
// available until written back. So that a reading is never more than what is allocated, app and
// compressed are held to what is allocated, MemTotal - MemFree - per-CPU free, where the lines
// (read one after another) disagree. Consequences:
//   - app + wired + compressed <= allocated <= MemTotal, always;
//   - app + wired + compressed + cached = allocated whenever the lines agree;
//   - memory in use (app + wired + compressed) is the allocated memory less the reclaimable
//     caches, within a few points of MemTotal - MemAvailable, which also holds back the kernel's
//     reserves and part of the caches;
//   - total is MemTotal, the RAM the kernel manages (installed memory less firmware and kernel
//     image), and the whole of every share;
//   - swap is SwapTotal and SwapTotal - SwapFree, zram swap devices included.
//
// Pressure: the worse of two levels, each with its thresholds beside the function that gives it:
// the stalls of /proc/pressure/memory (pressureLevelFromStall) and the share of MemAvailable
// (pressureLevelFromAvailable). PSI alone reads normal on a machine without swap until it already
// stalls, with nothing left to reclaim; the available share alone misses the thrashing of a
// machine whose memory is all cache that refaults as fast as it is dropped. Either that cannot be
// read gives no level of its own.
//
// Accelerators: every NVIDIA device (NvmlAccelerators), then every other DRM card
// (DrmAccelerators), in card order. A card whose load is counted from its clients needs the
// process table's pass: with gpuClients the host reads what the store's process table found in
// its pass (the sampler runs the process pass before it asks for the accelerators); without, and
// only where such a card exists, the host runs a pass of its own process table when it is asked,
// so that the widgets, which sample no processes, still see such a card's load between two
// readings.
//
// Not thread-safe: owned by one sampler, on its thread.
class LinuxHost final : public Host {
public:
    static std::uint64_t systemPageSize();

    struct Options {
        // NVML is found by the dynamic loader, not under root; the tests pass their fake or "".
        std::string nvmlLibrary = "libnvidia-ml.so.1";
        // How often the zram and DRM device folders are listed again.
        std::chrono::steady_clock::duration deviceRescan = std::chrono::seconds(60);
        // Bytes per page of zoneinfo's counts: the machine's own, or the captured tree's.
        std::uint64_t pageSize = systemPageSize();
        // The GPU figures of the store's process table, which also takes NVML's per-process
        // figures from here.
        std::shared_ptr<GpuClients> gpuClients{};
    };

    explicit LinuxHost(const std::filesystem::path& root = "/");
    LinuxHost(const std::filesystem::path& root, const Options& options);

    std::vector<ProcessorTicks> processorTicks() override;
    std::uint32_t ticksPerSecond() override;
    MemoryCounters memoryCounters() override;
    std::vector<Accelerator> accelerators() override;

private:
    ProcFile stat_;
    ProcFile meminfo_;
    ProcFile zoneinfo_;
    ProcFile pressure_;
    std::uint64_t pageSize_;
    ZramDevices zram_;
    std::optional<std::uint64_t> lastSwapTotal_;
    std::filesystem::path root_;
    NvmlAccelerators nvml_;
    DrmAccelerators drm_;
    std::shared_ptr<GpuClients> sharedClients_;
    // Without shared figures: a process table of the host's own, made once a card needs it.
    std::shared_ptr<GpuClients> ownClients_;
    std::unique_ptr<LinuxProcessTable> ownTable_;
};

}  // namespace vantric
