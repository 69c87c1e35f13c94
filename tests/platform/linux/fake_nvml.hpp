#pragma once

// The controls of the fake NVML library the tests build (fake_nvml.cpp). The tests dlopen the
// library by its path, set it up through these, and hand the same path to NvmlAccelerators, which
// then gets the same loaded copy.
extern "C" {

struct FakeNvmlDevice {
    unsigned int utilization = 0;  // percent
    unsigned long long total = 0;
    unsigned long long free = 0;
    unsigned long long used = 0;
    int utilizationResult = 0;  // 0 for success, an NVML error code otherwise
    int memoryResult = 0;
    const char* name = "";  // what nvmlDeviceGetName writes, when the buffer has room for it
    int nameResult = 0;
    unsigned int gpuCores = 0;
    int gpuCoresResult = 0;
};

// Forget every device; the next nvmlInit_v2 answers initResult.
void fakeNvmlReset(int initResult);
void fakeNvmlAddDevice(FakeNvmlDevice device);
// nvmlInit_v2 calls not yet matched by nvmlShutdown.
int fakeNvmlOpenSessions();
}
