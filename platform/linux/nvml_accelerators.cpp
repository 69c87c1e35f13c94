#include "platform/linux/nvml_accelerators.hpp"

#include <cstdint>

#include <dlfcn.h>

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

    bool complete() const {
        return init != nullptr && shutdown != nullptr && deviceCount != nullptr &&
               deviceByIndex != nullptr && utilizationRates != nullptr && memoryInfo != nullptr;
    }
};

NvmlAccelerators::NvmlAccelerators(const std::string& library) {
    if (!library.empty() && !load(library)) {
        unload();
    }
}

NvmlAccelerators::~NvmlAccelerators() {
    if (api_) {
        api_->shutdown();
    }
    unload();
}

bool NvmlAccelerators::load(const std::string& library) {
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
        NvmlDevice device = nullptr;
        // A device NVML cannot open (no permission, fallen off the bus) is left out.
        if (api->deviceByIndex(index, &device) == nvmlSuccess) {
            devices_.push_back(device);
        }
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

void NvmlAccelerators::append(std::vector<Accelerator>& accelerators) {
    for (NvmlDevice device : devices_) {
        NvmlUtilization utilization{};
        if (api_->utilizationRates(device, &utilization) != nvmlSuccess) {
            accelerators.push_back(Accelerator{});
            continue;
        }
        PerformanceStatistics statistics{{"Device Utilization %", std::uint64_t{utilization.gpu}}};
        NvmlMemory memory{};
        if (api_->memoryInfo(device, &memory) == nvmlSuccess) {
            statistics.emplace("In use system memory", std::uint64_t{memory.used});
            statistics.emplace(
                "Alloc system memory",
                std::uint64_t{memory.total > memory.free ? memory.total - memory.free : 0});
        }
        accelerators.push_back(Accelerator{.statistics = std::move(statistics)});
    }
}

}  // namespace vantric
