#include "platform/linux/pressure.hpp"

#include <string>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;

TEST(Pressure, ReadsTheTenSecondAveragesOfARealCapture) {
    EXPECT_EQ(parsePressure(readFixture("hosts/this-machine/proc/pressure/memory")),
              (PressureStall{.someAvg10 = 0, .fullAvg10 = 0}));
    EXPECT_EQ(parsePressure(readFixture("hosts/server128/proc/pressure/memory")),
              (PressureStall{.someAvg10 = 48.10, .fullAvg10 = 17.30}));
}

TEST(Pressure, UnreadableTextHasNoStall) {
    for (const char* text :
         {"", "some avg10=x avg60=0.00\n", "full avg10=1.00\n", "some avg60=1.00 avg300=2.00\n",
          "some avg10=-1.00\n", "some avg10=inf\n", "some avg10=1.00"}) {
        EXPECT_FALSE(parsePressure(text)) << text;
    }
}

TEST(Pressure, MissingFullLineReadsZero) {
    EXPECT_EQ(parsePressure("some avg10=3.50 avg60=1.00 avg300=0.20 total=100\n"),
              (PressureStall{.someAvg10 = 3.5, .fullAvg10 = 0}));
}

struct StallLevel {
    double some;
    double full;
    std::int32_t level;

    friend void PrintTo(const StallLevel& row, std::ostream* out) {
        *out << "some " << row.some << " full " << row.full;
    }
};

class PressureThresholds : public ::testing::TestWithParam<StallLevel> {};

TEST_P(PressureThresholds, MapsStallsToTheKernelsLevels) {
    EXPECT_EQ(pressureLevelFromStall({.someAvg10 = GetParam().some, .fullAvg10 = GetParam().full}),
              GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Stalls, PressureThresholds,
                         ::testing::Values(StallLevel{0, 0, pressureNormal},
                                           StallLevel{9.99, 9.99, pressureNormal},
                                           StallLevel{10, 0, pressureWarning},
                                           StallLevel{60, 9.99, pressureWarning},
                                           StallLevel{10, 10, pressureCritical},
                                           StallLevel{100, 100, pressureCritical}));

TEST(Pressure, AvailableShareStandsInWherePsiIsMissing) {
    const auto level = [](std::uint64_t available, std::uint64_t total) {
        return pressureLevelFromAvailable(Meminfo{.memTotal = total, .memAvailable = available});
    };
    EXPECT_EQ(level(500, 1000), pressureNormal);
    EXPECT_EQ(level(150, 1000), pressureNormal);
    EXPECT_EQ(level(149, 1000), pressureWarning);
    EXPECT_EQ(level(50, 1000), pressureWarning);
    EXPECT_EQ(level(49, 1000), pressureCritical);
    EXPECT_FALSE(level(0, 0));
    EXPECT_FALSE(pressureLevelFromAvailable(Meminfo{.memTotal = 1000}));
}

}  // namespace
}  // namespace vantric
