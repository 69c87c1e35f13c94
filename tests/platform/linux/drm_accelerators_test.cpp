#include "platform/linux/drm_accelerators.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::TemporaryTree;
using testing::writeFile;

std::vector<Accelerator> read(DrmAccelerators& drm) {
    std::vector<Accelerator> found;
    drm.append(found);
    return found;
}

TEST(DrmAccelerators, PublishesBusyPercentAndTheMemoryInUse) {
    DrmAccelerators drm(testing::fixturePath("hosts/laptop-zram"), std::chrono::seconds(60));
    const auto found = read(drm);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].statistics, (PerformanceStatistics{
                                       {"Device Utilization %", std::uint64_t{37}},
                                       {"In use system memory", std::uint64_t{1342177280}},
                                       {"Alloc system memory", std::uint64_t{1342177280}},
                                   }));
}

TEST(DrmAccelerators, SkipsCardsWithoutABusyFigureAndConnectors) {
    TemporaryTree tree;
    writeFile(tree / "sys/class/drm/card0/device/vendor", "0x8086\n");  // no busy figure
    writeFile(tree / "sys/class/drm/card0-HDMI-A-1/device/gpu_busy_percent", "99\n");
    writeFile(tree / "sys/class/drm/card1/device/gpu_busy_percent", "12\n");
    writeFile(tree / "sys/class/drm/card10/device/gpu_busy_percent", "13\n");
    writeFile(tree / "sys/class/drm/card2/device/gpu_busy_percent", "14\n");
    DrmAccelerators drm(tree.root(), std::chrono::seconds(60));
    const auto found = read(drm);
    ASSERT_EQ(found.size(), 3U);
    // Card order, by number.
    EXPECT_EQ(found[0].statistics->at("Device Utilization %"), StatisticValue{std::uint64_t{12}});
    EXPECT_EQ(found[1].statistics->at("Device Utilization %"), StatisticValue{std::uint64_t{14}});
    EXPECT_EQ(found[2].statistics->at("Device Utilization %"), StatisticValue{std::uint64_t{13}});
    // No memory files: no memory keys, which read as 0.
    EXPECT_FALSE(found[0].statistics->contains("In use system memory"));
}

TEST(DrmAccelerators, UnreadableBusyFigureLeavesTheCardWithoutStatistics) {
    TemporaryTree tree;
    const auto busy = tree / "sys/class/drm/card0/device/gpu_busy_percent";
    writeFile(busy, "50\n");
    writeFile(tree / "sys/class/drm/card0/device/mem_info_gtt_used", "4096\n");
    DrmAccelerators drm(tree.root(), std::chrono::hours(1));
    ASSERT_TRUE(read(drm)[0].statistics);

    writeFile(busy, "fifty\n");
    auto found = read(drm);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_FALSE(found[0].statistics);

    std::filesystem::remove(busy);
    found = read(drm);
    ASSERT_EQ(found.size(), 1U);
    EXPECT_FALSE(found[0].statistics);

    writeFile(busy, "51\n");
    found = read(drm);
    EXPECT_EQ(found[0].statistics->at("In use system memory"), StatisticValue{std::uint64_t{4096}});
}

TEST(DrmAccelerators, NoDrmFolderHasNoCards) {
    TemporaryTree tree;
    DrmAccelerators drm(tree.root(), std::chrono::seconds(0));
    EXPECT_TRUE(read(drm).empty());
}

}  // namespace
}  // namespace vantric
