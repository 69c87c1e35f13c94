#include "platform/linux/zram.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::readFixture;
using testing::TemporaryTree;
using testing::writeFile;

TEST(ZramMmStat, ReadsMemoryUsedTotal) {
    EXPECT_EQ(parseZramMemoryUsed(readFixture("hosts/laptop-zram/sys/block/zram0/mm_stat")),
              627048448U);
    EXPECT_EQ(parseZramMemoryUsed(readFixture("hosts/this-machine/sys/block/zram0/mm_stat")), 0U);
}

TEST(ZramMmStat, TooFewOrUnreadableFieldsGiveNothing) {
    for (const char* text : {"", "1 2\n", "1 2 x 4\n", "1 2 3", "1 -2 3\n"}) {
        EXPECT_FALSE(parseZramMemoryUsed(text)) << text;
    }
}

TEST(ZramDevices, SumsEveryDeviceAndFollowsDevicesThatComeAndGo) {
    TemporaryTree tree;
    writeFile(tree / "sys/block/zram0/mm_stat", "10 5 4096 0 4096 0 0 0 0\n");
    writeFile(tree / "sys/block/zram1/mm_stat", "10 5 8192 0 8192 0 0 0 0\n");
    writeFile(tree / "sys/block/zramctl/mm_stat", "10 5 99999 0 0 0 0 0 0\n");
    writeFile(tree / "sys/block/vda/stat", "1 2 3\n");
    ZramDevices devices(tree.root(), std::chrono::seconds(0));
    EXPECT_EQ(devices.memoryUsed(), 4096U + 8192U);

    std::filesystem::remove_all(tree / "sys/block/zram0");
    EXPECT_EQ(devices.memoryUsed(), 8192U);

    writeFile(tree / "sys/block/zram1/mm_stat", "\x01\x02garbage");
    writeFile(tree / "sys/block/zram2/mm_stat", "10 5 12288 0 0 0 0 0 0\n");
    EXPECT_EQ(devices.memoryUsed(), 12288U);
}

TEST(ZramDevices, DevicesNeverSetUpAreNotRead) {
    TemporaryTree tree;
    writeFile(tree / "sys/block/zram0/initstate", "0\n");
    writeFile(tree / "sys/block/zram0/mm_stat", "10 5 4096 0 4096 0 0 0 0\n");
    writeFile(tree / "sys/block/zram1/initstate", "1\n");
    writeFile(tree / "sys/block/zram1/mm_stat", "10 5 8192 0 8192 0 0 0 0\n");
    ZramDevices devices(tree.root(), std::chrono::seconds(0));
    EXPECT_EQ(devices.memoryUsed(), 8192U);

    writeFile(tree / "sys/block/zram0/initstate", "1\n");
    EXPECT_EQ(devices.memoryUsed(), 4096U + 8192U);
}

TEST(ZramDevices, KeepsItsDeviceListBetweenRescans) {
    TemporaryTree tree;
    writeFile(tree / "sys/block/zram0/mm_stat", "10 5 4096 0 4096 0 0 0 0\n");
    ZramDevices devices(tree.root(), std::chrono::hours(1));
    EXPECT_EQ(devices.memoryUsed(), 4096U);
    writeFile(tree / "sys/block/zram1/mm_stat", "10 5 8192 0 8192 0 0 0 0\n");
    EXPECT_EQ(devices.memoryUsed(), 4096U);
}

TEST(ZramDevices, NoBlockFolderHoldsNothing) {
    TemporaryTree tree;
    ZramDevices devices(tree.root(), std::chrono::seconds(0));
    EXPECT_EQ(devices.memoryUsed(), 0U);
}

}  // namespace
}  // namespace vantric
