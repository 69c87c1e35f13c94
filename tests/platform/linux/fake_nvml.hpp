#pragma once

// The controls of the fake NVML library the tests build (fake_nvml.cpp). The tests dlopen the
// library by its path, set it up through these, and hand the same path to NvmlAccelerators, which
// then gets the same loaded copy.
extern "C" {

struct FakeNvmlProcess {
    unsigned int pid = 0;
    unsigned long long usedGpuMemory = 0;
    unsigned long long sampleTime = 0;  // the utilisation sample's; 0: no sample
    unsigned int smUtil = 0;
};

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
    const char* busId = "";  // what nvmlDeviceGetPciInfo_v3 writes; empty: the call fails
    const FakeNvmlProcess* processes = nullptr;  // on the compute list, with their samples
    unsigned int processCount = 0;
};

// Forget every device; the next nvmlInit_v2 answers initResult.
void fakeNvmlReset(int initResult);
void fakeNvmlAddDevice(FakeNvmlDevice device);
// nvmlInit_v2 calls not yet matched by nvmlShutdown.
int fakeNvmlOpenSessions();
// Calls that ask a device for a figure (utilisation, memory, processes) since the last reset.
int fakeNvmlDeviceQueries();
// The lastSeenTimeStamp of the last process utilisation call.
unsigned long long fakeNvmlLastSeen();
}
