#include "platform/linux/drm_client_usage.hpp"

#include <algorithm>

namespace vantric {

namespace {

// Gain of a counter over its highest earlier value, which it becomes when passed.
std::uint64_t gain(std::uint64_t& baseline, std::uint64_t value) {
    const std::uint64_t gained = value > baseline ? value - baseline : 0;
    baseline = std::max(baseline, value);
    return gained;
}

using EngineShares = std::map<std::string, double, std::less<>>;

double busiest(const EngineShares& shares) {
    double largest = 0;
    for (const auto& [engine, share] : shares) {
        largest = std::max(largest, share);
    }
    return std::min(largest, 1.0);
}

void add(DrmClientMemory& sum, const DrmClientMemory& memory) {
    sum.videoResident = cappedSum(sum.videoResident, memory.videoResident);
    sum.systemResident = cappedSum(sum.systemResident, memory.systemResident);
    sum.videoTotal = cappedSum(sum.videoTotal, memory.videoTotal);
    sum.systemTotal = cappedSum(sum.systemTotal, memory.systemTotal);
}

}  // namespace

DrmUsage DrmClientUsage::measure(const std::vector<DrmClientReading>& clients,
                                 std::uint64_t nowNs) {
    DrmUsage usage;
    std::map<std::string, EngineShares, std::less<>> deviceShares;
    // By device and engine: the busiest of a process's engines on any one device is its share.
    std::unordered_map<std::int32_t, EngineShares> processShares;
    std::map<ClientKey, Client> seen;

    for (const DrmClientReading& reading : clients) {
        ClientKey key{reading.device, reading.counters.clientId};
        if (seen.contains(key)) {
            continue;  // read through a second descriptor: counted for the first holder only
        }
        const auto known = clients_.find(key);
        if (reading.asleep) {
            // Not read, so as not to wake the device: it does nothing, and keeps its buffers.
            if (known != clients_.end()) {
                ProcessGpu& process = usage.processes[reading.holder];
                process.memory = cappedSum(process.memory, known->second.memory);
                if (known->second.hasEngines) {
                    process.percent = process.percent.value_or(0);
                }
                seen.emplace(std::move(key), std::move(known->second));
            }
            continue;
        }
        Client state = known != clients_.end() ? std::move(known->second) : Client{};
        const DrmClientMemory& memory = reading.counters.memory;
        state.memory = cappedSum(memory.videoResident, memory.systemResident);
        state.hasEngines = !reading.counters.engines.empty();
        const std::uint64_t elapsedNs = nowNs > state.readNs ? nowNs - state.readNs : 0;
        state.readNs = nowNs;
        DrmDeviceUsage& device = usage.devices[reading.device];
        add(device.memory, memory);
        ProcessGpu& process = usage.processes[reading.holder];
        process.memory = cappedSum(process.memory, state.memory);

        for (const DrmEngineCounters& engine : reading.counters.engines) {
            EngineBaseline& baseline = state.engines[engine.name];
            const bool inCycles = engine.cycles && engine.totalCycles;
            std::uint64_t busy = 0;
            std::uint64_t time = elapsedNs;
            if (inCycles && *engine.totalCycles < baseline.total) {
                // The GPU's clock started again (the device lost power): a new baseline.
                baseline = EngineBaseline{.busy = *engine.cycles, .total = *engine.totalCycles};
                time = 0;
            } else {
                busy = gain(baseline.busy, inCycles ? *engine.cycles : *engine.busyNs);
                if (inCycles) {
                    time = gain(baseline.total, *engine.totalCycles);
                }
            }
            // A class a known client did not list before counts from zero (amdgpu lists a class
            // only once it has been busy); a new client's counters are only its baseline.
            if (known == clients_.end()) {
                continue;
            }
            const double share =
                time == 0 ? 0.0
                          : static_cast<double>(busy) /
                                (static_cast<double>(time) * static_cast<double>(engine.capacity));
            deviceShares[reading.device][engine.name] += share;
            processShares[reading.holder][reading.device + '\n' + engine.name] += share;
        }
        if (known != clients_.end() && state.hasEngines) {
            device.busy = device.busy.value_or(0);
            process.percent = process.percent.value_or(0);
        }
        seen.emplace(std::move(key), std::move(state));
    }

    for (auto& [name, device] : usage.devices) {
        if (const auto shares = deviceShares.find(name); shares != deviceShares.end()) {
            device.busy = busiest(shares->second);
        }
    }
    for (auto& [pid, process] : usage.processes) {
        if (const auto shares = processShares.find(pid); shares != processShares.end()) {
            process.percent = busiest(shares->second) * 100.0;
        }
    }
    clients_ = std::move(seen);
    return usage;
}

}  // namespace vantric
