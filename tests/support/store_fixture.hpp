#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include <QSignalSpy>

#include "app/store/metrics_store.hpp"
#include "app/store/process_sampler.hpp"
#include "core/system_sampler.hpp"
#include "support/fake_host.hpp"
#include "support/fake_process_table.hpp"

namespace vantric::testing {

// A ticker that never fires by itself: the test calls MetricsStore::tick().
class ManualTicker final : public Ticker {
public:
    void start(std::function<void()> /*onTick*/) override {}
};

// A machine the store samples: the test sets what the host and process table answer, then runs
// passes.
struct FakeMachine {
    std::shared_ptr<FakeHost::State> host = std::make_shared<FakeHost::State>();
    std::shared_ptr<FakeProcessTable::State> processes =
        std::make_shared<FakeProcessTable::State>();
    SystemInfo info{};

    // The next pass reads this processor share (fractions of one processor's ticks).
    void queueProcessorLoad(double user, double system) { queueShares({{user, system}}); }

    // The next pass reads one busy share per logical processor, each split evenly between user
    // and system time.
    void queueCoreLoads(const std::vector<double>& busy) {
        std::vector<std::pair<double, double>> shares;
        for (const double share : busy) {
            shares.emplace_back(share / 2, share / 2);
        }
        queueShares(shares);
    }

    void setMemory(std::uint64_t total, std::uint64_t appBytes, MemoryPressure pressure) {
        host->memory =
            MemoryCounters{.physicalMemory = total,
                           .pages = VMPageCounts{.pageSize = 4096, .internal = appBytes / 4096},
                           .swap = SwapUsage{},
                           .pressureLevel = rawValue(pressure)};
    }

    void setGpuLoad(double percent) {
        host->accelerators = {
            Accelerator{.statistics = PerformanceStatistics{{"Device Utilization %", percent}}}};
    }

    // Parts left empty: no widget host, a ticker only the test fires, the system clocks.
    std::unique_ptr<MetricsStore> makeStore(MetricsStore::Parts parts = {}) {
        // The priming pass takes a reading of idle processors as its baseline, as many as the first
        // queued reading has.
        const std::size_t cores = host->tickReadings.empty()
                                      ? 1
                                      : std::max<std::size_t>(host->tickReadings.front().size(), 1);
        std::vector<ProcessorTicks> baseline(cores);
        for (std::size_t core = 0; core < cores; ++core) {
            baseline[core].processor = static_cast<std::uint32_t>(core);
        }
        host->tickReadings.push_front(std::move(baseline));
        if (!parts.ticker) {
            parts.ticker = std::make_unique<ManualTicker>();
        }
        return std::make_unique<MetricsStore>(MetricsStore::Parts{
            .info = info,
            .systemSampler = std::make_unique<SystemSampler>(std::make_unique<FakeHost>(host)),
            .processSampler =
                std::make_unique<ProcessSampler>(std::make_unique<FakeProcessTable>(processes)),
            .widgetCenter = std::move(parts.widgetCenter),
            .ticker = std::move(parts.ticker),
            .now = std::move(parts.now),
            .monotonicNow = std::move(parts.monotonicNow)});
    }

private:
    // A user and a system share per processor, each of a second's 1000 ticks.
    void queueShares(const std::vector<std::pair<double, double>>& shares) {
        coreTicks_.resize(std::max(coreTicks_.size(), shares.size()));
        std::vector<ProcessorTicks> reading;
        for (std::size_t core = 0; core < shares.size(); ++core) {
            const auto user = static_cast<std::uint64_t>(shares[core].first * 1000);
            const auto system = static_cast<std::uint64_t>(shares[core].second * 1000);
            ProcessorTicks& ticks = coreTicks_[core];
            ticks.processor = static_cast<std::uint32_t>(core);
            ticks.user += user;
            ticks.system += system;
            ticks.idle += 1000 - user - system;
            reading.push_back(ticks);
        }
        host->tickReadings.push_back(std::move(reading));
    }

    std::vector<ProcessorTicks> coreTicks_;
};

// Runs one pass and waits until the store has published it.
inline bool runPass(MetricsStore& store) {
    QSignalSpy published(&store, &MetricsStore::changed);
    store.tick();
    return published.wait(5000);
}

}  // namespace vantric::testing
