#include "platform/linux/swaps.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

constexpr const char* header = "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n";

TEST(Swaps, AddsTheUsedColumnOfEveryArea) {
    EXPECT_EQ(parseSwapsUsedKilobytes(header), 0U);
    EXPECT_EQ(parseSwapsUsedKilobytes(std::string(header) +
                                      "/dev/zram0                              partition\t"
                                      "8388604\t\t262144\t\t100\n"
                                      "/swap\\040file file 1048572 1024 -2\n"),
              263168U);
    // This kernel's own text, whatever swap the machine has.
    EXPECT_TRUE(parseSwapsUsedKilobytes(testing::readFile("/proc/swaps")));
    // No header, a header cut short, a missing column, and areas whose sum does not fit in bytes.
    for (const std::string& bad :
         {std::string("/dev/sda2 partition 100 5 -2\n"), std::string("Filename Type Size Used"),
          std::string(header) + "/dev/sda2 partition 100\n",
          std::string(header) + "/dev/sda2 partition 100 1125899906842624 -2\n/dev/sda3 partition "
                                "100 1 -2\n"}) {
        EXPECT_FALSE(parseSwapsUsedKilobytes(bad)) << bad;
    }
}

}  // namespace
}  // namespace vantric
