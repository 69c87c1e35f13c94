#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantric {

// Logical processors of the machine's two performance levels. Each is absent where the machine
// has no such level or the count cannot be read.
struct PerformanceLevelCounts {
    std::optional<std::int64_t> level0{};  // the fastest processors (performance cores)
    std::optional<std::int64_t> level1{};  // the next level down (efficiency cores)
};

// What a graphics accelerator says of itself.
struct AcceleratorModel {
    std::string device{};                     // as Accelerator::device names it
    std::optional<std::string> model{};       // its product name; absent when it publishes none
    std::optional<std::int64_t> coreCount{};  // graphics cores; absent when not published
};

// An instant as the kernel records it: seconds and microseconds since 1970-01-01 00:00:00 UTC.
struct KernelTime {
    std::int64_t seconds = 0;
    std::int32_t microseconds = 0;  // 0 to 999999
};

// The static facts of the machine: what its processors, memory, graphics and operating system say
// of themselves. Every text is valid UTF-8 (ill-formed bytes from firmware or drivers come back as
// U+FFFD), so it goes into JSON and onto the screen without further checks.
// Implemented by LinuxMachineFacts (platform/linux) and by the fake in tests/support.
// Used once, on the main thread, when the metrics store is created; not thread-safe.
class MachineFacts {
public:
    virtual ~MachineFacts() = default;

    // The processor's brand name ("12th Gen Intel(R) Core(TM) i5-12600K"); absent when the
    // platform does not publish one.
    virtual std::optional<std::string> processorBrand() = 0;

    // What to call the processor when it has no brand name: the kind of machine ("x86_64",
    // "aarch64"). Never empty.
    virtual std::string machineName() = 0;

    // Logical processors available to the system, at least 1; absent when they cannot be counted.
    virtual std::optional<std::int64_t> logicalProcessorCount() = 0;

    virtual PerformanceLevelCounts performanceLevels() = 0;

    // Installed physical memory in bytes; 0 when it cannot be read.
    virtual std::uint64_t physicalMemory() = 0;

    // Every graphics accelerator, in the order Host::accelerators gives them; empty when there is
    // none or they cannot be listed.
    virtual std::vector<AcceleratorModel> accelerators() = 0;

    // The name of the system's default graphics device; absent when there is none or it cannot be
    // named.
    virtual std::optional<std::string> defaultGraphicsDeviceName() = 0;

    // The operating system as it names itself for display ("Debian GNU/Linux 12 (bookworm)").
    // Never empty: the platform supplies its own fallback.
    virtual std::string operatingSystemName() = 0;

    // When the machine booted; absent when it cannot be read.
    virtual std::optional<KernelTime> bootTime() = 0;
};

}  // namespace vantric
