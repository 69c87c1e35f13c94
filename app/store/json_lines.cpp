#include "app/store/json_lines.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "core/record_json.hpp"

namespace vantric {

namespace {

Json appsJson(std::vector<AppUsage> apps) {
    // A share JSON cannot hold is written as 0, so it sorts as 0: a NaN in the comparison would
    // break the ordering std::sort needs.
    for (AppUsage& app : apps) {
        if (!std::isfinite(app.cpu)) {
            app.cpu = 0;
        }
    }
    std::sort(apps.begin(), apps.end(), [](const AppUsage& left, const AppUsage& right) {
        if (left.cpu != right.cpu) {
            return left.cpu > right.cpu;
        }
        if (left.memory != right.memory) {
            return left.memory > right.memory;
        }
        return left.id < right.id;
    });
    Json rows = Json::array();
    for (const AppUsage& app : apps) {
        Json row = Json::object();
        row["id"] = app.id;
        row["name"] = app.name;
        row["bundlePath"] = app.bundlePath ? Json(*app.bundlePath) : Json(nullptr);
        row["icon"] = app.iconName ? Json(*app.iconName) : Json(nullptr);
        row["cpu"] = app.cpu;
        row["memory"] = app.memory;
        row["processCount"] = app.processCount;
        row["gpu"] = app.gpu ? Json(*app.gpu) : Json(nullptr);
        row["gpuMemory"] = app.gpuMemory ? Json(*app.gpuMemory) : Json(nullptr);
        rows.push_back(std::move(row));
    }
    return rows;
}

// Whole seconds and their fraction apart, so that a date given in milliseconds prints as written
// (a product with 1e-9 would print 0.25 s as 0.2499998).
double secondsSinceEpoch(std::chrono::system_clock::time_point date) {
    const auto since = date.time_since_epoch();
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(since);
    const auto fraction = std::chrono::duration_cast<std::chrono::nanoseconds>(since - whole);
    return static_cast<double>(whole.count()) + static_cast<double>(fraction.count()) / 1e9;
}

}  // namespace

std::optional<std::string> readingLine(const Reading& reading) {
    auto cpuJson = toJson(reading.cpu);
    auto gpuJson = toJson(reading.gpu);
    if (!cpuJson || !gpuJson) {
        return std::nullopt;
    }
    Json line = Json::object();
    line["date"] = secondsSinceEpoch(reading.date);
    line["cpu"] = std::move(cpuJson).value();
    line["memory"] = toJson(reading.memory);
    line["gpu"] = std::move(gpuJson).value();
    line["apps"] = appsJson(reading.processes.apps);
    line["processCount"] = reading.processes.processCount;
    line["readableProcessCount"] = reading.processes.readableProcessCount;
    return line.dump(-1, ' ', false, Json::error_handler_t::replace);
}

int runJsonLines(SystemSampler& system, ProcessSampler& processes,
                 std::optional<std::uint64_t> count, std::FILE* output) {
    using namespace std::chrono;
    system.sampleCPU();
    processes.sample();
    // Also primes the per-process figures NVML hands to the next process pass.
    system.sampleGPU();
    // Deadlines step by exactly one second, so the period does not drift by the time each reading
    // takes. After a stall (the process stopped, a slow driver call) the missed seconds are
    // skipped: catching up would print readings of a few microseconds each.
    auto deadline = steady_clock::now();
    for (std::uint64_t written = 0; !count || written < *count;) {
        deadline = std::max(deadline + seconds(1), steady_clock::now());
        std::this_thread::sleep_until(deadline);
        const auto line = readingLine(takeReading(system, processes));
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
