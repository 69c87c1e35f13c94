#include "platform/linux/nvml_accelerators.hpp"

#include <dlfcn.h>

#include <gtest/gtest.h>

#include "fake_nvml.hpp"
#include "platform/linux/linux_host.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

constexpr int gpuIsLost = 15;

// Holds the fake library loaded for the test's length and reaches its controls.
class NvmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        library = dlopen(FAKE_NVML_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();  // NOLINT(concurrency-mt-unsafe)
        reset = reinterpret_cast<decltype(reset)>(dlsym(library, "fakeNvmlReset"));
        addDevice = reinterpret_cast<decltype(addDevice)>(dlsym(library, "fakeNvmlAddDevice"));
        openSessions =
            reinterpret_cast<decltype(openSessions)>(dlsym(library, "fakeNvmlOpenSessions"));
        ASSERT_TRUE(reset && addDevice && openSessions);
        reset(0);
    }
    void TearDown() override {
        if (library != nullptr) {
            dlclose(library);
        }
    }

    std::vector<Accelerator> read() {
        NvmlAccelerators nvml(FAKE_NVML_LIBRARY);
        std::vector<Accelerator> found;
        nvml.append(found);
        return found;
    }

    void* library = nullptr;
    void (*reset)(int) = nullptr;
    void (*addDevice)(FakeNvmlDevice) = nullptr;
    int (*openSessions)() = nullptr;
};

TEST_F(NvmlTest, PublishesEachDeviceUnderTheDriverStatisticNames) {
    addDevice({.utilization = 37,
               .total = 80,
               .free = 30,
               .used = 45,
               .utilizationResult = 0,
               .memoryResult = 0});
    addDevice({.utilization = 90,
               .total = 16,
               .free = 16,
               .used = 0,
               .utilizationResult = 0,
               .memoryResult = 0});
    const auto found = read();
    ASSERT_EQ(found.size(), 2U);
    EXPECT_EQ(found[0].statistics, (PerformanceStatistics{
                                       {"Device Utilization %", std::uint64_t{37}},
                                       {"In use system memory", std::uint64_t{45}},
                                       {"Alloc system memory", std::uint64_t{50}},
                                   }));
    EXPECT_EQ(found[1].statistics->at("Device Utilization %"), StatisticValue{std::uint64_t{90}});
    EXPECT_FALSE(found[0].statistics->contains("Renderer Utilization %"));
}

TEST_F(NvmlTest, LostDeviceHasNoStatisticsAndFailedMemoryLeavesOnlyItsKeysOut) {
    addDevice({.utilization = 50, .utilizationResult = gpuIsLost, .memoryResult = 0});
    addDevice({.utilization = 20, .utilizationResult = 0, .memoryResult = gpuIsLost});
    const auto found = read();
    ASSERT_EQ(found.size(), 2U);
    EXPECT_FALSE(found[0].statistics);
    EXPECT_EQ(found[1].statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{20}}}));
}

TEST_F(NvmlTest, LibraryThatFailsToStartHasNoDevices) {
    reset(/*NVML_ERROR_DRIVER_NOT_LOADED*/ 9);
    addDevice({.utilization = 50});
    EXPECT_TRUE(read().empty());
    EXPECT_EQ(openSessions(), 0);
}

TEST_F(NvmlTest, MissingOrForeignLibraryHasNoDevices) {
    for (const char* library : {"", "libvantric-no-such-library.so.1", "libm.so.6"}) {
        NvmlAccelerators nvml(library);
        std::vector<Accelerator> found;
        nvml.append(found);
        EXPECT_TRUE(found.empty()) << library;
        EXPECT_EQ(nvml.deviceCount(), 0U) << library;
    }
}

TEST_F(NvmlTest, HostListsNvidiaDevicesBeforeDrmCards) {
    // The laptop fixture's amdgpu card is 37 % busy; a device as busy ties, and ties go first.
    addDevice({.utilization = 37, .total = 100, .free = 100, .used = 0});
    LinuxHost host(testing::fixturePath("hosts/laptop-zram"),
                   LinuxHost::Options{.nvmlLibrary = FAKE_NVML_LIBRARY});
    const auto accelerators = host.accelerators();
    ASSERT_EQ(accelerators.size(), 2U);
    EXPECT_EQ(accelerators[0].statistics->at("In use system memory"),
              StatisticValue{std::uint64_t{0}});
    EXPECT_EQ(accelerators[1].statistics->at("In use system memory"),
              StatisticValue{std::uint64_t{1342177280}});
}

TEST_F(NvmlTest, ShutsTheLibraryDownWhenDone) {
    addDevice({.utilization = 1});
    {
        NvmlAccelerators nvml(FAKE_NVML_LIBRARY);
        EXPECT_EQ(nvml.deviceCount(), 1U);
        EXPECT_EQ(openSessions(), 1);
    }
    EXPECT_EQ(openSessions(), 0);
}

}  // namespace
}  // namespace vantric
