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
                                 std::uint64_t elapsedNs,
                                 const std::set<std::string, std::less<>>& suspendedDevices) {
    DrmUsage usage;
    std::map<std::string, EngineShares, std::less<>> deviceShares;
    std::unordered_map<std::int32_t, EngineShares> processShares;
    std::map<ClientKey, Baselines> seen;

    for (const DrmClientReading& client : clients) {
        ClientKey key{client.device, client.counters.clientId};
        if (seen.contains(key)) {
            continue;  // read through a second descriptor: counted for the first holder only
        }
        const auto known = clients_.find(key);
        Baselines baselines = known != clients_.end() ? std::move(known->second) : Baselines{};
        DrmDeviceUsage& device = usage.devices[client.device];
        add(device.memory, client.counters.memory);
        ProcessGpu& process = usage.processes[client.holder];
        process.memory = cappedSum(
            process.memory,
            cappedSum(client.counters.memory.videoResident, client.counters.memory.systemResident));

        for (const DrmEngineCounters& engine : client.counters.engines) {
            EngineBaseline& baseline = baselines[engine.name];
            const bool inCycles = engine.cycles && engine.totalCycles;
            const std::uint64_t busy =
                gain(baseline.busy, inCycles ? *engine.cycles : *engine.busyNs);
            const std::uint64_t time =
                inCycles ? gain(baseline.total, *engine.totalCycles) : elapsedNs;
            // A class a known client did not list before counts from zero (amdgpu lists a class
            // only once it has been busy); a new client's counters are only its baseline.
            if (known == clients_.end()) {
                continue;
            }
            const double share =
                time == 0 ? 0.0
                          : static_cast<double>(busy) /
                                (static_cast<double>(time) * static_cast<double>(engine.capacity));
            deviceShares[client.device][engine.name] += share;
            processShares[client.holder][engine.name] += share;
        }
        if (known != clients_.end() && !client.counters.engines.empty()) {
            device.busy = device.busy.value_or(0);
            process.percent = process.percent.value_or(0);
        }
        seen.emplace(std::move(key), std::move(baselines));
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
    // Clients of a sleeping device were not read, and are still there.
    for (auto& [key, baselines] : clients_) {
        if (suspendedDevices.contains(key.first) && !seen.contains(key)) {
            seen.emplace(key, std::move(baselines));
        }
    }
    clients_ = std::move(seen);
    return usage;
}

}  // namespace vantric
