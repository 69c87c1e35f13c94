#include "app/store/reading.hpp"

namespace vantric {

Reading takeReading(SystemSampler& system, ProcessSampler& processes,
                    const std::function<std::chrono::system_clock::time_point()>& now) {
    Reading reading;
    reading.cpu = system.sampleCPU();
    reading.memory = system.sampleMemory();
    reading.gpu = system.sampleGPU();
    reading.processes = processes.sample();
    reading.date = now();
    return reading;
}

}  // namespace vantric
