#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.hpp"

namespace vantric {

// NVIDIA devices through NVML, the driver's management library, loaded at run time so that
// Vantric has no build dependency on it: a machine without the library, or whose library fails
// to start, has no NVIDIA accelerators.
//
// Each device publishes
//   "Device Utilization %"  nvmlDeviceGetUtilizationRates().gpu: the share of the last sample
//                           period in which a kernel ran on the device
//   "In use system memory"  nvmlDeviceGetMemoryInfo().used: device memory in use
//   "Alloc system memory"   total - free: everything taken from the device's memory, which
//                           on drivers that report it apart includes the driver's reservation
// and no renderer or tiler figure, which NVML does not have. A device whose utilisation cannot
// be read (lost, reset) has no statistics for that reading; its memory keys are left out when
// only they fail.
//
// The device list is taken once, when the library starts; with no device the library is closed
// again at once. Owned by LinuxHost, on its thread; LinuxMachineFacts opens its own for a moment
// on the main thread, which NVML allows (it counts its sessions).
//
// Left open: on a hybrid laptop every NVML query wakes a discrete card that runtime power
// management has put to sleep; skipping such cards needs their PCI address from NVML to find
// their power state in sysfs, which wants checking on such a laptop.
class NvmlAccelerators {
public:
    // library: a name for dlopen ("libnvidia-ml.so.1") or a path; empty means none.
    explicit NvmlAccelerators(const std::string& library);
    ~NvmlAccelerators();
    NvmlAccelerators(const NvmlAccelerators&) = delete;
    NvmlAccelerators& operator=(const NvmlAccelerators&) = delete;

    void append(std::vector<Accelerator>& accelerators);

    std::size_t deviceCount() const { return devices_.size(); }

    // The product name of the device at index, below deviceCount() ("NVIDIA H100 80GB HBM3",
    // nvmlDeviceGetName), as the driver wrote it; nothing when NVML cannot tell it.
    std::optional<std::string> deviceName(std::size_t index) const;

    // Its number of GPU cores (CUDA cores, nvmlDeviceGetNumGpuCores); nothing with a driver too
    // old to have the call, and for a device that does not say.
    std::optional<std::int64_t> deviceCoreCount(std::size_t index) const;

private:
    struct Api;

    bool load(const std::string& library);
    void unload();

    void* library_ = nullptr;
    std::unique_ptr<Api> api_;
    std::vector<void*> devices_;
};

}  // namespace vantric
