#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantric {

// What one engine class of a DRM client has done, as the counters of its fdinfo say.
struct DrmEngineCounters {
    std::string name{};                          // "render", "rcs", "gfx", ...
    std::optional<std::uint64_t> busyNs{};       // drm-engine-<name>
    std::optional<std::uint64_t> cycles{};       // drm-cycles-<name>
    std::optional<std::uint64_t> totalCycles{};  // drm-total-cycles-<name>
    std::uint64_t capacity = 1;                  // drm-engine-capacity-<name>: identical engines

    bool operator==(const DrmEngineCounters&) const = default;
};

// The most bytes of buffers counted: 1 EiB, far beyond any device. A sum of garbage amounts
// stays there rather than wrap.
inline constexpr std::uint64_t largestBufferBytes = std::uint64_t{1} << 60;

inline std::uint64_t cappedSum(std::uint64_t a, std::uint64_t b) {
    return a >= largestBufferBytes || b >= largestBufferBytes - a ? largestBufferBytes : a + b;
}

// Buffers of a client, in bytes, split by where they live: video memory is the device's own
// (regions named vram* by amdgpu and xe, local* by i915), system memory everything else.
struct DrmClientMemory {
    std::uint64_t videoResident = 0;
    std::uint64_t systemResident = 0;
    std::uint64_t videoTotal = 0;
    std::uint64_t systemTotal = 0;

    bool operator==(const DrmClientMemory&) const = default;
};

// The DRM keys of /proc/PID/fdinfo/FD for a descriptor of a DRM device: one client of the device
// (struct drm_file), which several descriptors and processes may share.
struct DrmFdinfo {
    std::string driver{};
    std::uint64_t clientId = 0;
    std::string pciDevice{};  // drm-pdev; empty for a device that is not on PCI
    std::vector<DrmEngineCounters> engines{};
    DrmClientMemory memory{};

    bool operator==(const DrmFdinfo&) const = default;
};

// Reads the keys the kernel's DRM client usage statistics define. Nothing for text without
// drm-driver and drm-client-id (any other file, or a driver that publishes no statistics).
//
// Units: engine time in ns, memory in bytes, KiB or MiB (the kernel picks the largest that
// divides the amount). Memory counts a region's drm-resident amount, else its drm-memory amount
// (an older name amdgpu still prints beside drm-resident: counting both would count the buffers
// twice), else drm-total; the total counts drm-total. A key whose value is no number, has an
// unknown unit, or an amount beyond 2^50 KiB is left out and the rest kept. A capacity of 0,
// which the kernel does not allow, counts as 1.
std::optional<DrmFdinfo> parseDrmFdinfo(std::string_view text);

}  // namespace vantric
