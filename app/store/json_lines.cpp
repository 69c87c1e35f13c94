#include "app/store/json_lines.hpp"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/record_json.hpp"

namespace vantric {

std::optional<std::string> readingLine(double date, const CPUSnapshot& cpu,
                                       const MemorySnapshot& memory, const GPUSnapshot& gpu) {
    auto cpuJson = toJson(cpu);
    auto gpuJson = toJson(gpu);
    if (!cpuJson || !gpuJson) {
        return std::nullopt;
    }
    Json line = Json::object();
    line["date"] = date;
    line["cpu"] = std::move(cpuJson).value();
    line["memory"] = toJson(memory);
    line["gpu"] = std::move(gpuJson).value();
    return line.dump();
}

int runJsonLines(SystemSampler& sampler, std::optional<std::uint64_t> count, std::FILE* output) {
    using namespace std::chrono;
    sampler.sampleCPU();
    // Deadlines step by exactly one second, so the period does not drift by the time each reading
    // takes. After a stall (the process stopped, a slow driver call) the missed seconds are
    // skipped: catching up would print readings of a few microseconds each.
    auto deadline = steady_clock::now();
    for (std::uint64_t written = 0; !count || written < *count;) {
        deadline = std::max(deadline + seconds(1), steady_clock::now());
        std::this_thread::sleep_until(deadline);
        const CPUSnapshot cpu = sampler.sampleCPU();
        const MemorySnapshot memory = sampler.sampleMemory();
        const GPUSnapshot gpu = sampler.sampleGPU();
        const double date = duration<double>(system_clock::now().time_since_epoch()).count();
        const auto line = readingLine(date, cpu, memory, gpu);
        if (!line) {
            continue;  // a reading JSON cannot hold is skipped, as a failed sample would be
        }
        if (std::fprintf(output, "%s\n", line->c_str()) < 0 || std::fflush(output) != 0) {
            return 1;
        }
        ++written;
    }
    return 0;
}

}  // namespace vantric
