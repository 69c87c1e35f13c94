#pragma once

#include <algorithm>
#include <chrono>
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
    void start(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

private:
    std::function<void()> onTick_;
};

// A machine the store samples: the test sets what the host and process table answer, then runs
// passes.
struct FakeMachine {
    std::shared_ptr<FakeHost::State> host = std::make_shared<FakeHost::State>();
    std::shared_ptr<FakeProcessTable::State> processes =
        std::make_shared<FakeProcessTable::State>();
    SystemInfo info{};

    // The next pass reads this processor share (fractions of one processor's ticks).
    void queueProcessorLoad(double user, double system) {
        elapsed_ += 1000;
        userTicks_ += static_cast<std::uint64_t>(user * 1000);
        systemTicks_ += static_cast<std::uint64_t>(system * 1000);
        const std::uint64_t busy = userTicks_ + systemTicks_;
        host->tickReadings.push_back({ProcessorTicks{.processor = 0,
                                                     .user = userTicks_,
                                                     .system = systemTicks_,
                                                     .idle = elapsed_ > busy ? elapsed_ - busy : 0,
                                                     .nice = 0}});
    }

    // The next pass reads one busy share per logical processor, each split evenly between user
    // and system time.
    void queueCoreLoads(const std::vector<double>& busy) {
        coreTicks_.resize(std::max(coreTicks_.size(), busy.size()));
        std::vector<ProcessorTicks> reading;
        for (std::size_t core = 0; core < busy.size(); ++core) {
            ProcessorTicks& ticks = coreTicks_[core];
            const auto half = static_cast<std::uint64_t>(busy[core] * 500);
            ticks.processor = static_cast<std::uint32_t>(core);
            ticks.user += half;
            ticks.system += half;
            ticks.idle += 1000 - 2 * half;
            reading.push_back(ticks);
        }
        host->tickReadings.push_back(std::move(reading));
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

    // Parts left empty: no widget host, the system clocks.
    std::unique_ptr<MetricsStore> makeStore(MetricsStore::Parts parts = {}) {
        // The priming pass takes a reading of idle processors as its baseline, as many as the first
        // queued reading has.
        std::vector<ProcessorTicks> baseline{ProcessorTicks{.processor = 0}};
        if (!host->tickReadings.empty() && !host->tickReadings.front().empty()) {
            baseline.resize(host->tickReadings.front().size());
            for (std::size_t core = 0; core < baseline.size(); ++core) {
                baseline[core] = ProcessorTicks{.processor = static_cast<std::uint32_t>(core)};
            }
        }
        host->tickReadings.push_front(std::move(baseline));
        return std::make_unique<MetricsStore>(MetricsStore::Parts{
            .info = info,
            .systemSampler = std::make_unique<SystemSampler>(std::make_unique<FakeHost>(host)),
            .processSampler =
                std::make_unique<ProcessSampler>(std::make_unique<FakeProcessTable>(processes)),
            .widgetCenter = std::move(parts.widgetCenter),
            .ticker = std::make_unique<ManualTicker>(),
            .now = std::move(parts.now),
            .monotonicNow = std::move(parts.monotonicNow)});
    }

private:
    std::uint64_t elapsed_ = 0;
    std::uint64_t userTicks_ = 0;
    std::uint64_t systemTicks_ = 0;
    std::vector<ProcessorTicks> coreTicks_;
};

// Runs one pass and waits until the store has published it.
inline bool runPass(MetricsStore& store) {
    QSignalSpy published(&store, &MetricsStore::changed);
    store.tick();
    return published.wait(5000);
}

}  // namespace vantric::testing
