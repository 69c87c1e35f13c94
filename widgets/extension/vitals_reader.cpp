#include "widgets/extension/vitals_reader.hpp"

#include <thread>

#include "platform/linux/linux_host.hpp"

namespace vantric {

VitalsReader::VitalsReader(Parts parts) : parts_(std::move(parts)) {
    if (!parts_.now) {
        parts_.now = AbsoluteTime::now;
    }
    if (!parts_.pause) {
        parts_.pause = [] { std::this_thread::sleep_for(measuringPause); };
    }
}

VitalsReader& VitalsReader::shared() {
    static VitalsReader* const reader = new VitalsReader(Parts{
        .sampler = std::make_unique<SystemSampler>(std::make_unique<LinuxHost>()),
        .history = std::make_unique<HistoryStore>(),
    });
    return *reader;
}

VitalsEntry VitalsReader::read() {
    std::unique_lock lock(mutex_);
    const AbsoluteTime now = parts_.now();
    if (latest_) {
        const double age = now - latest_->date;
        if (age >= 0 && age < freshSeconds) {
            return *latest_;
        }
    }
    if (inFlight_) {
        const std::shared_future<VitalsEntry> measuring = *inFlight_;
        lock.unlock();
        return measuring.get();
    }

    std::promise<VitalsEntry> result;
    inFlight_ = result.get_future().share();
    lock.unlock();
    // Measured outside the lock, so that callers arriving meanwhile can join this measurement.
    try {
        VitalsEntry entry = measure();
        lock.lock();
        latest_ = entry;
        inFlight_.reset();
        result.set_value(entry);
        return entry;
    } catch (...) {
        // Whoever joined must not wait for ever; the next caller measures afresh.
        if (!lock.owns_lock()) {
            lock.lock();
        }
        inFlight_.reset();
        result.set_exception(std::current_exception());
        throw;
    }
}

VitalsEntry VitalsReader::measure() {
    SystemSampler& sampler = *parts_.sampler;
    // Fresh baselines, so that the processor figures, and the load of a card counted from its
    // clients, cover the pause below and not the time since the last measurement, which may be
    // minutes.
    sampler.sampleCPU();
    sampler.sampleGPU();
    parts_.pause();
    const CPUSnapshot cpu = sampler.sampleCPU();
    const MemorySnapshot memory = sampler.sampleMemory();
    const GPUSnapshot gpu = sampler.sampleGPU();
    const AbsoluteTime now = parts_.now();

    const HistoryPoint point{.date = now,
                             .cpu = cpu.total,
                             .memory = memoryInUseFraction(memory),
                             .gpu = gpu.utilization};
    return VitalsEntry{.date = now,
                       .cpu = cpu,
                       .memory = memory,
                       .gpu = gpu,
                       .history = parts_.history->append(point),
                       .historyWindow = historyWindow};
}

}  // namespace vantric
