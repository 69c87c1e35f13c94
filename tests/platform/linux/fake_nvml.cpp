// A stand-in for libnvidia-ml.so.1 with the entry points Vantric uses, so that the NVML reader
// runs its real dlopen/dlsym path in the tests.
#include "fake_nvml.hpp"

#include <cstring>
#include <vector>

namespace {

constexpr int success = 0;
constexpr int uninitialized = 1;
constexpr int invalidArgument = 2;
constexpr int insufficientSize = 7;

struct Utilization {
    unsigned int gpu, memory;
};

struct Memory {
    unsigned long long total, free, used;
};

std::vector<FakeNvmlDevice> devices;  // handles are element addresses; reserved, so they stay
int initAnswer = success;
int sessions = 0;

FakeNvmlDevice& deviceOf(void* handle) {
    return *static_cast<FakeNvmlDevice*>(handle);
}

}  // namespace

extern "C" {

void fakeNvmlReset(int initResult) {
    devices.clear();
    devices.reserve(16);
    initAnswer = initResult;
    sessions = 0;
}

void fakeNvmlAddDevice(FakeNvmlDevice device) {
    devices.push_back(device);
}

int fakeNvmlOpenSessions() {
    return sessions;
}

int nvmlInit_v2() {
    sessions += initAnswer == success ? 1 : 0;
    return initAnswer;
}

int nvmlShutdown() {
    const bool open = sessions > 0;
    sessions -= open ? 1 : 0;
    return open ? success : uninitialized;
}

int nvmlDeviceGetCount_v2(unsigned int* count) {
    *count = static_cast<unsigned int>(devices.size());
    return sessions > 0 ? success : uninitialized;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
    const bool known = index < devices.size();
    *handle = known ? &devices[index] : nullptr;
    return known ? success : invalidArgument;
}

int nvmlDeviceGetUtilizationRates(void* handle, Utilization* rates) {
    *rates = Utilization{.gpu = deviceOf(handle).utilization, .memory = 0};
    return deviceOf(handle).utilizationResult;
}

int nvmlDeviceGetMemoryInfo(void* handle, Memory* memory) {
    const FakeNvmlDevice& device = deviceOf(handle);
    *memory = Memory{.total = device.total, .free = device.free, .used = device.used};
    return device.memoryResult;
}

int nvmlDeviceGetName(void* handle, char* name, unsigned int length) {
    const FakeNvmlDevice& device = deviceOf(handle);
    const std::size_t size = std::strlen(device.name) + 1;
    const int result = device.nameResult != success ? device.nameResult
                       : size > length              ? insufficientSize
                                                    : success;
    if (result == success) {
        std::memcpy(name, device.name, size);
    }
    return result;
}

int nvmlDeviceGetNumGpuCores(void* handle, unsigned int* cores) {
    *cores = deviceOf(handle).gpuCores;
    return deviceOf(handle).gpuCoresResult;
}
}
