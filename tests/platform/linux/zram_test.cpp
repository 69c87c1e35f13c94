#include "platform/linux/zram.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::TemporaryTree;
using testing::writeFile;

void device(const TemporaryTree& tree, const char* name, const char* initState,
            std::uint64_t used) {
    writeFile(tree / "sys/block" / name / "mm_stat",
              "10 5 " + std::to_string(used) + " 0 0 0 0 0 0\n");
    if (initState != nullptr) {
        writeFile(tree / "sys/block" / name / "initstate", initState);
    }
}

TEST(ZramDevices, SumsTheDevicesThatAreSetUpAndFollowsThemComingAndGoing) {
    TemporaryTree tree;
    device(tree, "zram0", nullptr, 4096);
    device(tree, "zram1", "1\n", 8192);
    device(tree, "zram2", "0\n", 16384);  // never given a size
    device(tree, "zramctl", nullptr, 99999);
    ZramDevices devices(tree.root(), std::chrono::seconds(0));
    EXPECT_EQ(devices.memoryUsed(), 4096U + 8192U);

    // A line cut short may have lost digits of the figure: it counts nothing.
    std::filesystem::remove_all(tree / "sys/block/zram0");
    writeFile(tree / "sys/block/zram1/mm_stat", "10 5 8192");
    writeFile(tree / "sys/block/zram2/initstate", "1\n");
    EXPECT_EQ(devices.memoryUsed(), 16384U);

    // Between listings the device list stands.
    ZramDevices listedOnce(tree.root(), std::chrono::hours(1));
    EXPECT_EQ(listedOnce.memoryUsed(), 16384U);
    device(tree, "zram3", "1\n", 1024);
    EXPECT_EQ(listedOnce.memoryUsed(), 16384U);
}

}  // namespace
}  // namespace vantric
