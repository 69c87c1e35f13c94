#include "app/store/reading.hpp"

namespace vantric {

Reading takeReading(SystemSampler& system, ProcessSampler& processes) {
    Reading reading;
    reading.cpu = system.sampleCPU();
    reading.memory = system.sampleMemory();
    reading.gpu = system.sampleGPU();
    reading.processes = processes.sample();
    reading.date = std::chrono::system_clock::now();
    return reading;
}

}  // namespace vantric
