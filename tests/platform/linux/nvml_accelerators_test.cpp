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
                                       {"In use system memory", std::uint64_t{45}},
                                       {"Alloc system memory", std::uint64_t{50}},
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

}  // namespace
}  // namespace vantric
