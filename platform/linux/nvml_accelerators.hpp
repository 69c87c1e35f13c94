#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/host.hpp"
#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/proc_file.hpp"

namespace vantric {

// NVIDIA devices through NVML, the driver's management library, loaded at run time so that
// Vantric has no build dependency on it: a machine without the library, or whose library fails
// to start, has no NVIDIA accelerators.
//
// Each device is named by its PCI slot (nvmlDeviceGetPciInfo, in the kernel's writing) and
// publishes
//   "Device Utilization %"  nvmlDeviceGetUtilizationRates().gpu: the share of the last sample
//                           period in which a kernel ran on the device
//   "In use video memory"   nvmlDeviceGetMemoryInfo().used: the device's own memory in use
//   "Alloc video memory"    total - free: everything taken from it, which on drivers that
//                           report it apart includes the driver's reservation
// and no renderer or tiler figure, which NVML does not have. A device whose utilisation cannot
// be read (lost, reset) has no statistics for that reading; its memory keys are left out when
// only they fail.
//
// Per process, where a GpuClients is handed in: each process's SM share over the sample periods
// since the last reading (nvmlDeviceGetProcessUtilization, which lists a process only in the
// periods it was busy in: a process on the device's running lists without a sample reads 0 %),
// and the memory the running compute and graphics lists give it. The _v2 lists are used: the _v3
// entry points changed their record without a new name in one driver series.
//
// Sleep: every NVML query resumes a card that runtime power management has put to sleep (the
// discrete card of a hybrid laptop). So each query is preceded by a look at the card's
// power/runtime_status in sysfs (found by the slot, once, at start), which does not wake it: a
// "suspended" card reads as 0 % busy without a query, and has no processes.
//
// The device list is taken once, when the library starts; with no device the library is closed
// again at once. Owned by LinuxHost, on its thread; LinuxMachineFacts opens its own for a moment
// on the main thread, which NVML allows (it counts its sessions).
class NvmlAccelerators {
public:
    // library: a name for dlopen ("libnvidia-ml.so.1") or a path; empty means none. root: where
    // sys/bus/pci/devices is found.
    explicit NvmlAccelerators(const std::string& library, const std::filesystem::path& root = "/");
    ~NvmlAccelerators();
    NvmlAccelerators(const NvmlAccelerators&) = delete;
    NvmlAccelerators& operator=(const NvmlAccelerators&) = delete;

    // clients: where per-process figures go; null to leave them out.
    void append(std::vector<Accelerator>& accelerators, GpuClients* clients);

    std::size_t deviceCount() const { return devices_.size(); }

    // The device's PCI slot as the kernel writes it; empty when NVML cannot tell it.
    const std::string& deviceSlot(std::size_t index) const { return devices_.at(index).slot; }

    // The product name of the device at index, below deviceCount() ("NVIDIA H100 80GB HBM3",
    // nvmlDeviceGetName), as the driver wrote it; nothing when NVML cannot tell it.
    std::optional<std::string> deviceName(std::size_t index) const;

    // Its number of GPU cores (CUDA cores, nvmlDeviceGetNumGpuCores); nothing with a driver too
    // old to have the call, and for a device that does not say.
    std::optional<std::int64_t> deviceCoreCount(std::size_t index) const;

private:
    struct Api;
    struct Device {
        void* handle = nullptr;
        std::string slot{};
        std::unique_ptr<ProcFile> powerState{};
        unsigned long long lastSample = 0;  // the newest utilisation sample's time stamp
    };

    bool load(const std::string& library, const std::filesystem::path& root);
    void unload();
    void addProcesses(Device& device, std::unordered_map<std::int32_t, ProcessGpu>& processes);

    void* library_ = nullptr;
    std::unique_ptr<Api> api_;
    std::vector<Device> devices_;
};

}  // namespace vantric
