#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/store/process_sample.hpp"
#include "platform/app_directory.hpp"
#include "platform/process_table.hpp"

namespace vantric {

// Turns the process table into per-application rows: how much processor time, memory and GPU
// each application uses now. A process whose executable lies inside an application bundle counts
// under the outermost bundle; else one the desktop names an application counts under that ("app:"
// and its id); every other process is grouped by its short name ("process:" and the name). The
// desktop is asked only for processes new to the identity cache, so a steady pass asks nothing.
//
// Owned by the metrics store and used on its sampler thread only; not thread-safe, and needs no
// lock because nothing else touches it.
class ProcessSampler {
public:
    // Monotonic time in nanoseconds; it never goes backwards.
    using Clock = std::function<std::uint64_t()>;

    // Without a directory, no process is a desktop application.
    explicit ProcessSampler(std::unique_ptr<ProcessTable> table,
                            std::unique_ptr<AppDirectory> directory = nullptr);
    ProcessSampler(std::unique_ptr<ProcessTable> table, Clock clock,
                   std::unique_ptr<AppDirectory> directory = nullptr);

    // One pass over the table, one row per application in the order the table first listed one
    // of its processes. Processor use is measured since the previous pass whose listing
    // succeeded, so the first pass reads 0 for every process (it sets the baselines). A listing
    // that fails gives an empty sample and keeps the baselines.
    ProcessSample sample();

private:
    struct Identity {
        // The bundle path, "app:" and the application id, or "process:" and the name.
        std::string key{};
        std::string name{};  // what the group's row shows
        std::optional<std::string> bundlePath{};
        std::optional<std::string> iconName{};
        std::optional<std::string> iconPath{};
    };
    struct CachedIdentity {
        std::uint64_t start = 0;
        std::string shortName;  // as the usage reported it when the identity was made
        Identity identity;
    };
    struct Baseline {
        std::uint64_t start = 0;
        std::uint64_t cpuNs = 0;
    };

    const Identity& identity(std::int32_t pid, const ProcessUsage& usage);
    Identity resolve(std::int32_t pid);
    std::uint64_t nanoseconds(std::uint64_t user, std::uint64_t system) const;

    std::unique_ptr<ProcessTable> table_;
    std::unique_ptr<AppDirectory> directory_;
    bool directoryAskedThisPass_ = false;
    Clock clock_;
    Timebase timebase_;
    std::unordered_map<std::int32_t, Baseline> previousTimes_;
    std::unordered_map<std::int32_t, CachedIdentity> identities_;
    std::optional<std::uint64_t> previousSampleNs_;  // the clock at the last listed pass
    std::vector<std::int32_t> identifiers_;          // the listing's buffer, kept between passes
};

}  // namespace vantric
