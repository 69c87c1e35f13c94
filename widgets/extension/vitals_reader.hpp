#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

#include "core/system_sampler.hpp"
#include "widgets/extension/history_store.hpp"
#include "widgets/views/absolute_time.hpp"
#include "widgets/views/vitals_entry.hpp"

namespace vantric {

// Measures the machine for the desktop widgets. A host asks for all its widgets at once, so
// callers that arrive while a measurement runs wait for that one and get its entry, and an entry
// younger than 10 s is handed out again without measuring: four widgets make one measurement and
// one history point.
//
// Thread-safe: read() may be called from any number of threads at once. The sampler and the
// history store are touched only by the caller that measures, one measurement at a time.
class VitalsReader {
public:
    struct Parts {
        std::unique_ptr<SystemSampler> sampler{};
        std::unique_ptr<HistoryStore> history{};
        std::function<AbsoluteTime()> now{};  // AbsoluteTime::now when empty
        // Waits between the two processor samples; 0.8 s of real time when empty.
        std::function<void()> pause{};
    };

    static constexpr double freshSeconds = 10;
    static constexpr std::chrono::milliseconds measuringPause{800};
    static constexpr double historyWindow = HistoryStore::windowSeconds;

    explicit VitalsReader(Parts parts);

    // Made on first use and never destroyed, so that a host thread still waiting on it when the
    // process ends finds it alive.
    static VitalsReader& shared();

    // Blocks until an entry is there: the latest one if it is 0 to 10 s old, the one being
    // measured if a measurement runs, else a new measurement (about 0.8 s). An entry dated in
    // the future (the clock was set back) is not fresh, or the widgets would freeze until the
    // clock caught up.
    VitalsEntry read();

private:
    VitalsEntry measure();

    Parts parts_;
    std::mutex mutex_;  // guards latest_ and inFlight_
    std::optional<VitalsEntry> latest_;
    std::optional<std::shared_future<VitalsEntry>> inFlight_;
};

}  // namespace vantric
