#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/linux/drm_fdinfo.hpp"
#include "platform/process_table.hpp"

namespace vantric {

// What the clients of one device did over the last interval.
struct DrmDeviceUsage {
    // The busiest engine class: its busy time over the interval as a fraction of the time its
    // engines had (0 to 1). Absent when no client has been read twice yet.
    std::optional<double> busy{};
    DrmClientMemory memory{};  // summed over the clients

    bool operator==(const DrmDeviceUsage&) const = default;
};

// One pass's figures: by device name and by process.
struct DrmUsage {
    std::map<std::string, DrmDeviceUsage, std::less<>> devices{};
    std::unordered_map<std::int32_t, ProcessGpu> processes{};
};

// One client as a pass read it: the device it belongs to, a process identifier that holds it, its
// counters. A client handed more than once (read through several descriptors) counts once, for
// the holder of its first reading.
struct DrmClientReading {
    std::string device{};
    std::int32_t holder = 0;
    DrmFdinfo counters{};
    // Its device sleeps, and it was not read (only its client id is known): it keeps its counters
    // and buffers for when the device wakes, and does nothing meanwhile.
    bool asleep = false;
};

// Turns the clients' cumulative counters into shares of an interval.
//
// Busy share of an engine class for one client: the busy time it gained over the time the class
// had, divided by the class's capacity (its number of identical engines). The time is the time
// since the client was last read for counters in ns, and the gain of drm-total-cycles for
// counters in GPU cycles, which tick on the GPU's own clock, so the share is exact whatever the
// CPU did between the passes. The kernel allows a busy counter to step back (a context's time is
// folded in late); as it asks, the larger earlier value is kept until the counter passes it, so a
// step back counts nothing and is not read as a wrap. drm-total-cycles is the GPU's clock, which
// starts again when the device loses power: a total below the last one is a new baseline.
//
// A device's share is its busiest class's, with the clients of a class summed; a process's is its
// busiest class on any one device over its clients. Both are held to 1. A client seen for the
// first time has no share yet (its counters are its whole life's), and a client that is gone
// takes the share of its last interval with it.
//
// Memory: a device's sums every client's buffers, so a buffer shared between clients (a window's,
// shared with the compositor) counts once for each: the device figure is an upper bound.
//
// Not thread-safe; owned by the descriptor scan, on its thread.
class DrmClientUsage {
public:
    // nowNs: when the clients were read, on a steady clock.
    DrmUsage measure(const std::vector<DrmClientReading>& clients, std::uint64_t nowNs);

private:
    struct EngineBaseline {
        std::uint64_t busy = 0;   // ns or cycles, the highest seen
        std::uint64_t total = 0;  // total cycles, the highest seen
    };
    using ClientKey = std::pair<std::string, std::uint64_t>;
    struct Client {
        std::map<std::string, EngineBaseline, std::less<>> engines{};
        std::uint64_t readNs = 0;  // when its counters were last read
        std::uint64_t memory = 0;  // its resident buffers then
        bool hasEngines = false;
    };

    std::map<ClientKey, Client> clients_;
};

}  // namespace vantric
