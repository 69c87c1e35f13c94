#include "platform/linux/nvml_accelerators.hpp"

#include <array>
#include <cstdint>
#include <string_view>

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

// NVML_DEVICE_NAME_V2_BUFFER_SIZE: room for every name the driver gives, and its zero byte.
constexpr std::size_t nameBufferSize = 96;

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
        .name = symbol<decltype(Api::name)>(library_, "nvmlDeviceGetName"),
        .numGpuCores = symbol<decltype(Api::numGpuCores)>(library_, "nvmlDeviceGetNumGpuCores"),
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

std::optional<std::string> NvmlAccelerators::deviceName(std::size_t index) const {
    if (index >= devices_.size() || api_->name == nullptr) {
        return std::nullopt;
    }
    std::array<char, nameBufferSize> name{};
    if (api_->name(devices_[index], name.data(), static_cast<unsigned int>(name.size())) !=
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
    if (api_->numGpuCores(devices_[index], &cores) != nvmlSuccess) {
        return std::nullopt;
    }
    return std::int64_t{cores};
}

}  // namespace vantric
