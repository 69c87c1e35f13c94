#pragma once

#include <memory>
#include <vector>

#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"
#include "platform/host.hpp"

namespace vantric {

// Turns the kernel's counters into the reading records. One per program, owned by whoever
// samples (the metrics store, the widget reader) and used from one thread or serial queue only:
// sampleCPU reads and replaces its baseline without locking. No sampler operation throws or
// reports an error; a source that cannot be read gives the zero record or zero fields.
class SystemSampler {
public:
    explicit SystemSampler(std::unique_ptr<Host> host);

    // Load since the previous successful call. The first call sets the baseline and reads 0 for
    // the totals and for every processor. A failed read returns the zero record and keeps the
    // baseline, so the next success measures from the last one.
    CPUSnapshot sampleCPU();

    // The processors' time up to the last successful sampleCPU: the kernel's counts at the first
    // one, plus every step the load was measured from since. A counter that stepped back or a
    // processor that went away adds nothing, so no mode ever decreases; a processor that
    // appears adds its steps from then on. All zero before the first success.
    CPUTimes cpuTimes() const;

    // Levels, not rates: needs no previous call.
    MemorySnapshot sampleMemory();

    // The busiest accelerator that publishes statistics; ties go to the first.
    GPUSnapshot sampleGPU();

    // Every accelerator that publishes statistics, in the platform's order.
    std::vector<GPUSnapshot> sampleGPUs();

private:
    std::unique_ptr<Host> host_;
    std::vector<ProcessorTicks> previousCoreTicks_;  // sorted as the kernel reported them
    // Summed over the processors, user with nice; see cpuTimes.
    std::uint64_t userTicks_ = 0;
    std::uint64_t systemTicks_ = 0;
    std::uint64_t idleTicks_ = 0;
    std::uint32_t ticksPerSecond_ = 0;  // asked once, at the first successful read
};

}  // namespace vantric
