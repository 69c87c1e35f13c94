#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantric {

// The ratio that turns the table's time units into nanoseconds: nanoseconds = units * numer /
// denom. Mach absolute time on one platform, scheduler clock ticks on Linux.
struct Timebase {
    std::uint32_t numer = 1;
    std::uint32_t denom = 1;
};

// What a process has of a graphics device, where the driver accounts it per client.
struct ProcessGpu {
    // Percent of the device's busiest engine over the last interval (of the busiest device, for a
    // process on several); absent in the first interval a client is seen.
    std::optional<double> percent{};
    std::uint64_t memory = 0;  // bytes of buffers the process's clients hold
};

// What the kernel accounts for one process.
struct ProcessUsage {
    std::uint64_t userTime = 0;           // timebase units of processor time in user mode
    std::uint64_t systemTime = 0;         // timebase units of processor time in the kernel
    std::uint64_t physicalFootprint = 0;  // bytes of memory the process alone holds
    // When the process started, in timebase units; with the identifier it names one process, as
    // identifiers are reused.
    std::uint64_t startTime = 0;
    // The short name, where the platform reports it with the usage at no extra cost (Linux's stat
    // line carries it). A process that calls exec keeps its identifier and start time; a changed
    // name is how such a process is noticed. Empty where the platform does not report it here.
    std::string shortName{};
    // Absent where no driver accounts a client of the process (no GPU, or one that does not say).
    std::optional<ProcessGpu> gpu{};
};

// The process table, as an ordinary user may read it.
// Implemented by LinuxProcessTable (platform/linux) and by the fakes in tests/.
// Not thread-safe: the process sampler that owns it calls it from its own thread only.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;

    // The ratio for every time of this table; constant for the table's life.
    virtual Timebase timebase() = 0;

    // How many processes there are now; 0 or less when the table cannot be listed. The listing
    // that follows may find a few more.
    virtual int countProcesses() = 0;

    // Fills identifiers with the processes' identifiers and returns how many it wrote (at most
    // identifiers.size()); 0 or less when the table cannot be listed.
    virtual int listProcesses(std::span<std::int32_t> identifiers) = 0;

    // Nothing when the process has gone or may not be read.
    virtual std::optional<ProcessUsage> usage(std::int32_t pid) = 0;

    // The path of the process's executable; empty when it cannot be read (another user's process,
    // a process that has gone).
    virtual std::string executablePath(std::int32_t pid) = 0;

    // The kernel's short name of the process; may be empty.
    virtual std::string shortName(std::int32_t pid) = 0;

    // The name the desktop shows for an application bundle folder.
    virtual std::string bundleDisplayName(std::string_view bundlePath) = 0;
};

}  // namespace vantric
