#include "platform/linux/nvml_accelerators.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include <dlfcn.h>

#include "platform/linux/device_slot.hpp"

namespace vantric {

namespace {

// The parts of NVML's C interface used here, as its documentation gives them.
using NvmlReturn = int;
constexpr NvmlReturn nvmlSuccess = 0;
using NvmlDevice = void*;

struct NvmlUtilization {
    unsigned int gpu;     // percent
    unsigned int memory;  // percent of time the memory was read or written
};

struct NvmlMemory {
    unsigned long long total;  // bytes
    unsigned long long free;
    unsigned long long used;
};

struct NvmlPciInfo {
    char busIdLegacy[16];
    unsigned int domain;
    unsigned int bus;
    unsigned int device;
    unsigned int pciDeviceId;
    unsigned int pciSubSystemId;
    char busId[32];  // "00000000:4F:00.0"
};

struct NvmlProcessSample {
    unsigned int pid;
    unsigned long long timeStamp;  // microseconds of the CPU clock
    unsigned int smUtil;           // percent of the device's streaming multiprocessors
    unsigned int memUtil;
    unsigned int encUtil;
    unsigned int decUtil;
};

struct NvmlProcessInfo {  // nvmlProcessInfo_v2_t
    unsigned int pid;
    unsigned long long usedGpuMemory;  // bytes; all ones when not available
    unsigned int gpuInstanceId;
    unsigned int computeInstanceId;
};

constexpr NvmlReturn nvmlInsufficientSize = 7;
constexpr unsigned long long nvmlValueNotAvailable = ~0ULL;
// The most processes asked for per list; a device runs far fewer.
constexpr unsigned int mostProcesses = 4096;

// NVML_DEVICE_NAME_V2_BUFFER_SIZE: room for every name the driver gives, and its zero byte.
constexpr std::size_t nameBufferSize = 96;

// Each process's SM share over the sample periods since lastSample, which moves on to the newest
// period's time stamp. NVML lists a process only in the periods it was busy in, so its sum is
// divided by every period of the batch (those in which any process was busy), not by its own.
std::unordered_map<std::int32_t, double> meanShares(const std::vector<NvmlProcessSample>& samples,
                                                    unsigned long long& lastSample) {
    std::unordered_map<std::int32_t, double> sums;
    std::set<unsigned long long> periods;
    for (const NvmlProcessSample& sample : samples) {
        if (sample.timeStamp <= lastSample) {
            continue;
        }
        sums[static_cast<std::int32_t>(sample.pid)] += std::min(sample.smUtil, 100U);
        periods.insert(sample.timeStamp);
    }
    if (!periods.empty()) {
        lastSample = *periods.rbegin();
    }
    for (auto& [pid, sum] : sums) {
        sum /= static_cast<double>(periods.size());
    }
    return sums;
}

template <typename Function>
Function symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

struct NvmlAccelerators::Api {
    NvmlReturn (*init)();
    NvmlReturn (*shutdown)();
    NvmlReturn (*deviceCount)(unsigned int*);
    NvmlReturn (*deviceByIndex)(unsigned int, NvmlDevice*);
    NvmlReturn (*utilizationRates)(NvmlDevice, NvmlUtilization*);
    NvmlReturn (*memoryInfo)(NvmlDevice, NvmlMemory*);
    // Optional: only the machine facts need them, and older drivers lack the core count.
    NvmlReturn (*name)(NvmlDevice, char*, unsigned int);
    NvmlReturn (*numGpuCores)(NvmlDevice, unsigned int*);
    // Optional: without them devices have no slot (and are always queried), or no processes.
    NvmlReturn (*pciInfo)(NvmlDevice, NvmlPciInfo*);
    NvmlReturn (*processUtilization)(NvmlDevice, NvmlProcessSample*, unsigned int*,
                                     unsigned long long);
    NvmlReturn (*computeProcesses)(NvmlDevice, unsigned int*, NvmlProcessInfo*);
    NvmlReturn (*graphicsProcesses)(NvmlDevice, unsigned int*, NvmlProcessInfo*);

    bool complete() const {
        return init != nullptr && shutdown != nullptr && deviceCount != nullptr &&
               deviceByIndex != nullptr && utilizationRates != nullptr && memoryInfo != nullptr;
    }
};

NvmlAccelerators::NvmlAccelerators(const std::string& library, const std::filesystem::path& root) {
    if (!library.empty() && !load(library, root)) {
        unload();
    }
}

NvmlAccelerators::~NvmlAccelerators() {
    if (api_) {
        api_->shutdown();
    }
    unload();
}

bool NvmlAccelerators::load(const std::string& library, const std::filesystem::path& root) {
    library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
        return false;
    }
    auto api = std::make_unique<Api>(Api{
        .init = symbol<decltype(Api::init)>(library_, "nvmlInit_v2"),
        .shutdown = symbol<decltype(Api::shutdown)>(library_, "nvmlShutdown"),
        .deviceCount = symbol<decltype(Api::deviceCount)>(library_, "nvmlDeviceGetCount_v2"),
        .deviceByIndex =
            symbol<decltype(Api::deviceByIndex)>(library_, "nvmlDeviceGetHandleByIndex_v2"),
        .utilizationRates =
            symbol<decltype(Api::utilizationRates)>(library_, "nvmlDeviceGetUtilizationRates"),
        .memoryInfo = symbol<decltype(Api::memoryInfo)>(library_, "nvmlDeviceGetMemoryInfo"),
        .name = symbol<decltype(Api::name)>(library_, "nvmlDeviceGetName"),
        .numGpuCores = symbol<decltype(Api::numGpuCores)>(library_, "nvmlDeviceGetNumGpuCores"),
        .pciInfo = symbol<decltype(Api::pciInfo)>(library_, "nvmlDeviceGetPciInfo_v3"),
        .processUtilization =
            symbol<decltype(Api::processUtilization)>(library_, "nvmlDeviceGetProcessUtilization"),
        .computeProcesses = symbol<decltype(Api::computeProcesses)>(
            library_, "nvmlDeviceGetComputeRunningProcesses_v2"),
        .graphicsProcesses = symbol<decltype(Api::graphicsProcesses)>(
            library_, "nvmlDeviceGetGraphicsRunningProcesses_v2"),
    });
    if (!api->complete() || api->init() != nvmlSuccess) {
        return false;
    }
    unsigned int count = 0;
    if (api->deviceCount(&count) != nvmlSuccess) {
        api->shutdown();
        return false;
    }
    for (unsigned int index = 0; index < count; ++index) {
        NvmlDevice handle = nullptr;
        // A device NVML cannot open (no permission, fallen off the bus) is left out.
        if (api->deviceByIndex(index, &handle) != nvmlSuccess) {
            continue;
        }
        Device device{.handle = handle};
        NvmlPciInfo pci{};
        if (api->pciInfo != nullptr && api->pciInfo(handle, &pci) == nvmlSuccess) {
            const std::string_view busId(pci.busId, sizeof pci.busId);
            if (auto slot = kernelPciSlot(busId.substr(0, busId.find('\0')))) {
                device.slot = std::move(*slot);
                device.powerState = std::make_unique<ProcFile>(
                    root / "sys/bus/pci/devices" / device.slot / "power/runtime_status");
            }
        }
        devices_.push_back(std::move(device));
    }
    // With no device to read, the session and the library are only weight.
    if (devices_.empty()) {
        api->shutdown();
        return false;
    }
    api_ = std::move(api);
    return true;
}

void NvmlAccelerators::unload() {
    api_.reset();
    devices_.clear();
    if (library_ != nullptr) {
        dlclose(library_);
        library_ = nullptr;
    }
}

void NvmlAccelerators::append(std::vector<Accelerator>& accelerators, GpuClients* clients) {
    if (clients != nullptr) {
        clients->nvmlProcesses.clear();
    }
    for (Device& device : devices_) {
        const auto powerState = device.powerState ? device.powerState->read() : std::nullopt;
        if (powerState && powerState->starts_with("suspended")) {
            accelerators.push_back(Accelerator{
                .device = device.slot,
                .statistics = PerformanceStatistics{{"Device Utilization %", std::uint64_t{0}}}});
            continue;
        }
        NvmlUtilization utilization{};
        if (api_->utilizationRates(device.handle, &utilization) != nvmlSuccess) {
            accelerators.push_back(Accelerator{.device = device.slot});
            continue;
        }
        PerformanceStatistics statistics{{"Device Utilization %", std::uint64_t{utilization.gpu}}};
        NvmlMemory memory{};
        if (api_->memoryInfo(device.handle, &memory) == nvmlSuccess) {
            statistics.emplace("In use video memory", std::uint64_t{memory.used});
            statistics.emplace(
                "Alloc video memory",
                std::uint64_t{memory.total > memory.free ? memory.total - memory.free : 0});
        }
        accelerators.push_back(
            Accelerator{.device = device.slot, .statistics = std::move(statistics)});
        if (clients != nullptr) {
            addProcesses(device, clients->nvmlProcesses);
        }
    }
}

void NvmlAccelerators::addProcesses(Device& device,
                                    std::unordered_map<std::int32_t, ProcessGpu>& processes) {
    // This device's figures first, then merged into those of the devices before it.
    std::unordered_map<std::int32_t, ProcessGpu> found;
    for (const auto list : {api_->computeProcesses, api_->graphicsProcesses}) {
        if (list == nullptr) {
            continue;
        }
        unsigned int count = 0;
        if (list(device.handle, &count, nullptr) != nvmlInsufficientSize) {
            continue;  // none running, or the list cannot be had
        }
        // Room for a few that start between the two calls.
        std::vector<NvmlProcessInfo> running(std::min(count + 8, mostProcesses));
        count = static_cast<unsigned int>(running.size());
        if (list(device.handle, &count, running.data()) != nvmlSuccess) {
            continue;
        }
        for (const NvmlProcessInfo& process :
             std::span(running).first(std::min<std::size_t>(count, running.size()))) {
            ProcessGpu& figures = found[static_cast<std::int32_t>(process.pid)];
            figures.percent = 0;
            // A process on both lists is one process, and its memory is the same on both.
            if (process.usedGpuMemory != nvmlValueNotAvailable) {
                figures.memory =
                    std::min(std::max<std::uint64_t>(figures.memory, process.usedGpuMemory),
                             largestBufferBytes);
            }
        }
    }
    if (api_->processUtilization != nullptr) {
        unsigned int count = 0;
        if (api_->processUtilization(device.handle, nullptr, &count, device.lastSample) ==
            nvmlInsufficientSize) {
            std::vector<NvmlProcessSample> samples(std::min(count + 8, mostProcesses));
            count = static_cast<unsigned int>(samples.size());
            if (api_->processUtilization(device.handle, samples.data(), &count,
                                         device.lastSample) == nvmlSuccess) {
                samples.resize(std::min<std::size_t>(count, samples.size()));
                for (const auto& [pid, share] : meanShares(samples, device.lastSample)) {
                    found[pid].percent = share;
                }
            }
        }
    }
    for (const auto& [pid, figures] : found) {
        auto [merged, added] = processes.try_emplace(pid, figures);
        if (!added) {
            merged->second.percent =
                std::max(merged->second.percent.value_or(0), figures.percent.value_or(0));
            merged->second.memory = cappedSum(merged->second.memory, figures.memory);
        }
    }
}

std::optional<std::string> NvmlAccelerators::deviceName(std::size_t index) const {
    if (index >= devices_.size() || api_->name == nullptr) {
        return std::nullopt;
    }
    std::array<char, nameBufferSize> name{};
    if (api_->name(devices_[index].handle, name.data(), static_cast<unsigned int>(name.size())) !=
        nvmlSuccess) {
        return std::nullopt;
    }
    // Up to the zero byte, and no further than the buffer should the driver leave it out.
    const std::string_view text(name.data(), name.size());
    return std::string(text.substr(0, text.find('\0')));
}

std::optional<std::int64_t> NvmlAccelerators::deviceCoreCount(std::size_t index) const {
    if (index >= devices_.size() || api_->numGpuCores == nullptr) {
        return std::nullopt;
    }
    unsigned int cores = 0;
    if (api_->numGpuCores(devices_[index].handle, &cores) != nvmlSuccess) {
        return std::nullopt;
    }
    return std::int64_t{cores};
}

}  // namespace vantric
