// A stand-in for libnvidia-ml.so.1 with the entry points Vantric uses, so that the NVML reader
// runs its real dlopen/dlsym path in the tests.
#include "fake_nvml.hpp"

#include <algorithm>
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

struct PciInfo {
    char busIdLegacy[16];
    unsigned int domain, bus, device, pciDeviceId, pciSubSystemId;
    char busId[32];
};

struct ProcessSample {
    unsigned int pid;
    unsigned long long timeStamp;
    unsigned int smUtil, memUtil, encUtil, decUtil;
};

struct ProcessInfo {
    unsigned int pid;
    unsigned long long usedGpuMemory;
    unsigned int gpuInstanceId, computeInstanceId;
};

std::vector<FakeNvmlDevice> devices;  // handles are element addresses; reserved, so they stay
int initAnswer = success;
int sessions = 0;
int queries = 0;
unsigned long long lastSeen = 0;

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
    queries = 0;
    lastSeen = 0;
}

void fakeNvmlAddDevice(FakeNvmlDevice device) {
    devices.push_back(device);
}

int fakeNvmlOpenSessions() {
    return sessions;
}

int fakeNvmlDeviceQueries() {
    return queries;
}

unsigned long long fakeNvmlLastSeen() {
    return lastSeen;
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
    ++queries;
    *rates = Utilization{.gpu = deviceOf(handle).utilization, .memory = 0};
    return deviceOf(handle).utilizationResult;
}

int nvmlDeviceGetMemoryInfo(void* handle, Memory* memory) {
    ++queries;
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

int nvmlDeviceGetPciInfo_v3(void* handle, PciInfo* info) {
    const FakeNvmlDevice& device = deviceOf(handle);
    const std::size_t size = std::strlen(device.busId) + 1;
    if (size == 1 || size > sizeof info->busId) {
        return invalidArgument;
    }
    *info = PciInfo{};
    std::memcpy(info->busId, device.busId, size);
    return success;
}

// Both lists in the size-query protocol: too small a buffer answers with the count.
int nvmlDeviceGetComputeRunningProcesses_v2(void* handle, unsigned int* count, ProcessInfo* infos) {
    ++queries;
    const FakeNvmlDevice& device = deviceOf(handle);
    if (*count < device.processCount || infos == nullptr) {
        const bool none = device.processCount == 0;
        *count = device.processCount;
        return none ? success : insufficientSize;
    }
    for (unsigned int index = 0; index < device.processCount; ++index) {
        infos[index] = ProcessInfo{.pid = device.processes[index].pid,
                                   .usedGpuMemory = device.processes[index].usedGpuMemory,
                                   .gpuInstanceId = 0,
                                   .computeInstanceId = 0};
    }
    *count = device.processCount;
    return success;
}

int nvmlDeviceGetGraphicsRunningProcesses_v2(void*, unsigned int* count, ProcessInfo*) {
    ++queries;
    *count = 0;
    return success;
}

int nvmlDeviceGetProcessUtilization(void* handle, ProcessSample* samples, unsigned int* count,
                                    unsigned long long lastSeenTimeStamp) {
    ++queries;
    lastSeen = lastSeenTimeStamp;
    const FakeNvmlDevice& device = deviceOf(handle);
    std::vector<ProcessSample> newer;
    for (unsigned int index = 0; index < device.processCount; ++index) {
        const FakeNvmlProcess& process = device.processes[index];
        // The sample at the time stamp asked from comes back too, as a driver may hand it again.
        if (process.sampleTime >= lastSeenTimeStamp && process.sampleTime != 0) {
            newer.push_back(ProcessSample{.pid = process.pid,
                                          .timeStamp = process.sampleTime,
                                          .smUtil = process.smUtil,
                                          .memUtil = 0,
                                          .encUtil = 0,
                                          .decUtil = 0});
        }
    }
    if (samples == nullptr || *count < newer.size()) {
        *count = static_cast<unsigned int>(newer.size());
        return insufficientSize;
    }
    std::copy(newer.begin(), newer.end(), samples);
    *count = static_cast<unsigned int>(newer.size());
    return success;
}
}
