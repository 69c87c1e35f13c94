#include "platform/linux/pressure.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

TEST(Pressure, ReadsTheTenSecondAverages) {
    EXPECT_EQ(parsePressure(testing::readFixture("hosts/server128/proc/pressure/memory")),
              (PressureStall{.someAvg10 = 48.10, .fullAvg10 = 17.30}));
    EXPECT_EQ(parsePressure("some avg10=3.50 avg60=1.00 avg300=0.20 total=100\n"),
              (PressureStall{.someAvg10 = 3.5, .fullAvg10 = 0}));
    // No "some" average, a text cut short, or a "full" line there but unreadable, which must not
    // pass for no stall.
    for (const char* bad :
         {"full avg10=1.00\n", "some avg60=1.00\n", "some avg10=1.00",
          "some avg10=1.00\nfull avg10=lots\n", "some avg10=1.00\nfull avg10=2"}) {
        EXPECT_FALSE(parsePressure(bad)) << bad;
    }
}

TEST(Pressure, StallsAndAvailableShareMapToTheKernelsLevels) {
    const auto stall = [](double some, double full) {
        return pressureLevelFromStall({.someAvg10 = some, .fullAvg10 = full});
    };
    EXPECT_EQ(stall(9.99, 9.99), pressureNormal);
    EXPECT_EQ(stall(10, 9.99), pressureWarning);
    EXPECT_EQ(stall(10, 10), pressureCritical);

    const auto available = [](std::uint64_t free, std::uint64_t total) {
        return pressureLevelFromAvailable(Meminfo{.memTotal = total, .memAvailable = free});
    };
    EXPECT_EQ(available(150, 1000), pressureNormal);
    EXPECT_EQ(available(149, 1000), pressureWarning);
    EXPECT_EQ(available(50, 1000), pressureWarning);
    EXPECT_EQ(available(49, 1000), pressureCritical);
    EXPECT_FALSE(available(0, 0));
    EXPECT_FALSE(pressureLevelFromAvailable(Meminfo{.memTotal = 1000}));
}

}  // namespace
}  // namespace vantric
