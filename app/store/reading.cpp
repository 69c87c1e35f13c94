#include "app/store/reading.hpp"

namespace vantric {

Reading takeReading(SystemSampler& system, ProcessSampler& processes,
                    const std::function<std::chrono::system_clock::time_point()>& now) {
    Reading reading;
    reading.cpu = system.sampleCPU();
    reading.memory = system.sampleMemory();
    // The process pass first: it counts the GPU clients that some cards' loads are made from, so
    // those loads and the applications' figures from the same clients describe one interval.
    // NVML's per-process samples are taken with its devices, and join the applications at the
    // next pass.
    reading.processes = processes.sample();
    reading.gpu = system.sampleGPU();
    reading.date = now();
    return reading;
}

}  // namespace vantric
