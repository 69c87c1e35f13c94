#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace vantric {

// Cumulative scheduler ticks of one logical processor since boot. The counters may be 32 bits
// wide and wrap (other platforms) or 64 bits wide (Linux); the sampler's arithmetic works with
// either.
struct ProcessorTicks {
    std::uint32_t processor = 0;  // the kernel's processor number, the key of its baseline
    std::uint64_t user = 0;
    std::uint64_t system = 0;
    std::uint64_t idle = 0;
    std::uint64_t nice = 0;

    bool operator==(const ProcessorTicks&) const = default;
};

// The virtual-memory page counters the memory reading is computed from, in pages of pageSize
// bytes.
struct VMPageCounts {
    std::uint64_t pageSize = 0;
    std::uint64_t wired = 0;       // pages the kernel cannot page out
    std::uint64_t purgeable = 0;   // anonymous pages their owner said may be discarded
    std::uint64_t compressor = 0;  // pages occupied by compressed memory
    std::uint64_t external = 0;    // file-backed pages
    std::uint64_t internal = 0;    // anonymous pages

    bool operator==(const VMPageCounts&) const = default;
};

struct SwapUsage {
    std::uint64_t total = 0;  // bytes
    std::uint64_t used = 0;   // bytes

    bool operator==(const SwapUsage&) const = default;
};

// Everything the memory reading needs, gathered in one call so that a platform can read its
// sources once. Each source can fail on its own: an absent value is a read that failed.
struct MemoryCounters {
    std::uint64_t physicalMemory = 0;  // bytes; 0 when it cannot be read
    std::optional<VMPageCounts> pages{};
    std::optional<SwapUsage> swap{};
    std::optional<std::int32_t> pressureLevel{};  // the kernel's raw level: 1, 2 or 4
};

// A value of an accelerator's statistics dictionary. Drivers publish numbers of either sign and
// fractions, and sometimes values that are not numbers at all (kept as text).
using StatisticValue = std::variant<std::int64_t, std::uint64_t, double, std::string>;
using PerformanceStatistics = std::map<std::string, StatisticValue, std::less<>>;

// One graphics accelerator. Its statistics are absent when the driver publishes none; the keys
// are the driver's own names ("Device Utilization %", "In use video memory", ...). Memory comes
// under two pairs of keys that say which memory it is: "In use video memory" / "Alloc video
// memory" for the device's own, "In use system memory" / "Alloc system memory" for RAM the driver
// holds for the device.
struct Accelerator {
    // Which device: its PCI slot as the kernel writes it ("0000:03:00.0"), else the kernel's name
    // for it. MachineFacts::accelerators names the device's model under the same text.
    std::string device{};
    // The load is summed over the clients this user may look at: other users' work is not in it.
    bool ownProcessesOnly = false;
    std::optional<PerformanceStatistics> statistics{};
};

// Kernel statistics about the machine as a whole.
// Implemented by LinuxHost (platform/linux) and by the fakes in tests/.
// Not thread-safe: the sampler that owns a Host calls it from its own thread only.
class Host {
public:
    virtual ~Host() = default;

    // Cumulative ticks of each logical processor, in the kernel's processor order.
    // Empty when the kernel could not be read.
    virtual std::vector<ProcessorTicks> processorTicks() = 0;

    // How many of processorTicks' ticks make one second.
    virtual std::uint32_t ticksPerSecond() = 0;

    // Physical memory size, VM page counts, swap and the pressure level.
    virtual MemoryCounters memoryCounters() = 0;

    // Every graphics accelerator, in the platform's enumeration order.
    virtual std::vector<Accelerator> accelerators() = 0;
};

}  // namespace vantric
