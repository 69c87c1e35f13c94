// A stand-in for libnvidia-ml.so.1 with the entry points Vantric uses, so that the NVML reader
// runs its real dlopen/dlsym path in the tests.
#include "fake_nvml.hpp"

#include <vector>

namespace {

constexpr int success = 0;
constexpr int invalidArgument = 2;
constexpr int uninitialized = 1;

struct Utilization {
    unsigned int gpu;
    unsigned int memory;
};

struct Memory {
    unsigned long long total;
    unsigned long long free;
    unsigned long long used;
};

std::vector<FakeNvmlDevice>& devices() {
    static std::vector<FakeNvmlDevice> all;
    return all;
}
int initAnswer = success;
int sessions = 0;

FakeNvmlDevice* deviceOf(void* handle) {
    return static_cast<FakeNvmlDevice*>(handle);
}

}  // namespace

extern "C" {

void fakeNvmlReset(int initResult) {
    devices().clear();
    devices().reserve(16);  // handles are element addresses and must not move
    initAnswer = initResult;
    sessions = 0;
}

void fakeNvmlAddDevice(FakeNvmlDevice device) {
    devices().push_back(device);
}

int fakeNvmlOpenSessions() {
    return sessions;
}

int nvmlInit_v2() {
    if (initAnswer == success) {
        ++sessions;
    }
    return initAnswer;
}

int nvmlShutdown() {
    if (sessions == 0) {
        return uninitialized;
    }
    --sessions;
    return success;
}

int nvmlDeviceGetCount_v2(unsigned int* count) {
    if (sessions == 0) {
        return uninitialized;
    }
    *count = static_cast<unsigned int>(devices().size());
    return success;
}

int nvmlDeviceGetHandleByIndex_v2(unsigned int index, void** handle) {
    if (index >= devices().size()) {
        return invalidArgument;
    }
    *handle = &devices()[index];
    return success;
}

int nvmlDeviceGetUtilizationRates(void* handle, Utilization* rates) {
    if (deviceOf(handle)->utilizationResult != success) {
        return deviceOf(handle)->utilizationResult;
    }
    *rates = Utilization{.gpu = deviceOf(handle)->utilization, .memory = 0};
    return success;
}

int nvmlDeviceGetMemoryInfo(void* handle, Memory* memory) {
    if (deviceOf(handle)->memoryResult != success) {
        return deviceOf(handle)->memoryResult;
    }
    *memory = Memory{.total = deviceOf(handle)->total,
                     .free = deviceOf(handle)->free,
                     .used = deviceOf(handle)->used};
    return success;
}
}
