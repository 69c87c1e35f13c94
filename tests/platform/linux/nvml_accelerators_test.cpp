#include "platform/linux/nvml_accelerators.hpp"

#include <gtest/gtest.h>

#include "fake_nvml_test.hpp"
#include "platform/linux/linux_host.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

constexpr int gpuIsLost = 15;
constexpr int driverNotLoaded = 9;

using Nvml = testing::FakeNvmlTest;

// The laptop fixture's amdgpu card is 37 % busy; a device as busy ties, and ties go first.
TEST_F(Nvml, HostPublishesEachDeviceUnderTheDriverStatisticNamesBeforeDrmCards) {
    add({.utilization = 37, .total = 80, .free = 30, .used = 45});
    add({.utilization = 50, .utilizationResult = gpuIsLost});
    add({.utilization = 20, .memoryResult = gpuIsLost});
    LinuxHost host(testing::fixturePath("hosts/laptop-zram"),
                   LinuxHost::Options{.nvmlLibrary = FAKE_NVML_LIBRARY});
    const auto found = host.accelerators();
    ASSERT_EQ(found.size(), 4U);  // the card last
    EXPECT_EQ(found[0].statistics, (PerformanceStatistics{
                                       {"Device Utilization %", std::uint64_t{37}},
                                       {"In use video memory", std::uint64_t{45}},
                                       {"Alloc video memory", std::uint64_t{50}},
                                   }));
    EXPECT_FALSE(found[1].statistics);  // lost: no statistics at all
    EXPECT_EQ(found[2].statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{20}}}));
}

TEST_F(Nvml, NoDevicesWithoutAWorkingLibraryAndShutDownWhenDone) {
    add({.utilization = 1});
    {
        NvmlAccelerators nvml(FAKE_NVML_LIBRARY);
        EXPECT_EQ(nvml.deviceCount(), 1U);
        EXPECT_EQ(openSessions(), 1);
    }
    EXPECT_EQ(openSessions(), 0);

    reset(0);
    EXPECT_EQ(NvmlAccelerators(FAKE_NVML_LIBRARY).deviceCount(), 0U);
    EXPECT_EQ(openSessions(), 0);  // no device: closed at once

    reset(driverNotLoaded);
    add({.utilization = 50});
    EXPECT_EQ(NvmlAccelerators(FAKE_NVML_LIBRARY).deviceCount(), 0U);
    // A library that is not there, and one without NVML's functions.
    for (const char* other : {"libvantric-no-such-library.so.1", "libm.so.6"}) {
        EXPECT_EQ(NvmlAccelerators(other).deviceCount(), 0U) << other;
    }
}

// A hybrid laptop's card asleep: never asked anything (which would wake it), and idle.
TEST_F(Nvml, ASleepingCardIsNotQueriedAndReadsIdle) {
    testing::TemporaryTree tree;
    const auto status = tree / "sys/bus/pci/devices/0000:01:00.0/power/runtime_status";
    testing::writeFile(status, "suspended\n");
    add({.utilization = 80, .used = 4096, .busId = "00000000:01:00.0"});
    NvmlAccelerators nvml(FAKE_NVML_LIBRARY, tree.root());
    GpuClients clients;
    std::vector<Accelerator> found;
    nvml.append(found, &clients);
    EXPECT_EQ(deviceQueries(), 0);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].device, "0000:01:00.0");
    EXPECT_EQ(found[0].statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{0}}}));

    testing::writeFile(status, "active\n");
    found.clear();
    nvml.append(found, &clients);
    EXPECT_GT(deviceQueries(), 0);
    EXPECT_EQ(found[0].statistics->at("Device Utilization %"), StatisticValue{80UL});
}

TEST_F(Nvml, ProcessesGetTheirSamplesMeanAndTheirMemory) {
    constexpr unsigned long long notAvailable = ~0ULL;
    const FakeNvmlProcess first[] = {
        {.pid = 300, .usedGpuMemory = 512 << 20, .sampleTime = 1000, .smUtil = 60},
        {.pid = 301, .usedGpuMemory = notAvailable},  // running, idle: no sample
    };
    // Two sample periods: each process's share is over both, not only the one it was busy in.
    const FakeNvmlProcess second[] = {
        {.pid = 300, .usedGpuMemory = 256 << 20, .sampleTime = 2000, .smUtil = 20},
        {.pid = 302, .usedGpuMemory = 0, .sampleTime = 2500, .smUtil = 40},
    };
    add({.utilization = 70, .processes = first, .processCount = 2});
    add({.utilization = 10, .processes = second, .processCount = 2});
    NvmlAccelerators nvml(FAKE_NVML_LIBRARY);
    GpuClients clients;
    std::vector<Accelerator> found;
    nvml.append(found, &clients);
    // On two devices: the busier device's share, the memory of both.
    EXPECT_EQ(clients.process(300)->percent, 60);
    EXPECT_EQ(clients.process(300)->memory, 768U << 20);
    EXPECT_EQ(clients.process(301)->percent, 0);
    EXPECT_EQ(clients.process(301)->memory, 0U);
    EXPECT_EQ(clients.process(302)->percent, 20);
    EXPECT_FALSE(clients.process(303));
    // The next call asks only for samples after the newest seen.
    nvml.append(found, &clients);
    EXPECT_EQ(lastSeen(), 2500U);
    EXPECT_EQ(clients.process(300)->percent, 0);  // no newer sample: running, idle
}

}  // namespace
}  // namespace vantric
