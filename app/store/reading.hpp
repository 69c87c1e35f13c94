#pragma once

#include <chrono>
#include <functional>

#include "app/store/process_sample.hpp"
#include "app/store/process_sampler.hpp"
#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// Everything one sampling pass found, handed on as one value.
struct Reading {
    CPUSnapshot cpu{};
    MemorySnapshot memory{};
    GPUSnapshot gpu{};
    ProcessSample processes{};
    std::chrono::system_clock::time_point date{};  // when the samplers had all returned
};

// One pass: processors, memory, the process table and graphics, in that order, then the time
// from now. Runs on the samplers' thread.
Reading takeReading(SystemSampler& system, ProcessSampler& processes,
                    const std::function<std::chrono::system_clock::time_point()>& now =
                        std::chrono::system_clock::now);

}  // namespace vantric
