#pragma once

#include "fake_nvml.hpp"

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace vantric::testing {

// Keeps the fake library loaded for a test and reaches its controls; the code under test opens
// the same path and so gets the same copy.
class FakeNvmlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(library, nullptr);
        reset(0);
    }
    void TearDown() override { dlclose(library); }

    template <typename Function>
    Function control(const char* name) {
        return reinterpret_cast<Function>(dlsym(library, name));
    }

    void* library = dlopen(FAKE_NVML_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    void (*reset)(int) = control<void (*)(int)>("fakeNvmlReset");
    void (*add)(FakeNvmlDevice) = control<void (*)(FakeNvmlDevice)>("fakeNvmlAddDevice");
    int (*openSessions)() = control<int (*)()>("fakeNvmlOpenSessions");
    int (*deviceQueries)() = control<int (*)()>("fakeNvmlDeviceQueries");
    unsigned long long (*lastSeen)() = control<unsigned long long (*)()>("fakeNvmlLastSeen");
};

}  // namespace vantric::testing
