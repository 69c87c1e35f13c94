#include "platform/linux/drm_accelerators.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::writeFile;

std::vector<Accelerator> read(DrmAccelerators& drm) {
    std::vector<Accelerator> found;
    drm.append(found);
    return found;
}

TEST(DrmAccelerators, PublishesBusyCardsInNumberOrderWithTheirMemoryInUse) {
    DrmAccelerators laptop(testing::fixturePath("hosts/laptop-zram"), std::chrono::seconds(60));
    EXPECT_EQ(read(laptop).at(0).statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{37}},
                                     {"In use system memory", std::uint64_t{1342177280}},
                                     {"Alloc system memory", std::uint64_t{1342177280}}}));

    testing::TemporaryTree tree;
    writeFile(tree / "sys/class/drm/card0/device/vendor", "0x8086\n");  // no busy figure
    writeFile(tree / "sys/class/drm/card0-HDMI-A-1/device/gpu_busy_percent", "99\n");
    for (const auto& [card, busy] :
         {std::pair{"card1", "12\n"}, {"card10", "13\n"}, {"card2", "14\n"}}) {
        writeFile(tree / "sys/class/drm" / card / "device/gpu_busy_percent", busy);
    }
    DrmAccelerators drm(tree.root(), std::chrono::seconds(60));
    std::vector<StatisticValue> busy;
    for (const Accelerator& card : read(drm)) {
        busy.push_back(card.statistics->at("Device Utilization %"));
        EXPECT_FALSE(card.statistics->contains("In use system memory"));
    }
    EXPECT_EQ(busy, (std::vector<StatisticValue>{12UL, 14UL, 13UL}));
}

TEST(DrmAccelerators, AnUnreadableBusyFigureLeavesTheCardWithoutStatisticsAndASleepingOneIsIdle) {
    testing::TemporaryTree tree;
    const auto busy = tree / "sys/class/drm/card0/device/gpu_busy_percent";
    writeFile(tree / "sys/class/drm/card0/device/mem_info_gtt_used", "4096\n");
    writeFile(busy, "fifty\n");
    DrmAccelerators drm(tree.root(), std::chrono::hours(1));
    EXPECT_FALSE(read(drm).at(0).statistics);
    writeFile(busy, "51\n");
    EXPECT_EQ(read(drm).at(0).statistics->at("In use system memory"), StatisticValue{4096UL});

    // Asleep: not read (which would wake it), and idle.
    writeFile(tree / "sys/class/drm/card0/device/power/runtime_status", "suspended\n");
    writeFile(busy, "garbage that would leave the card without statistics\n");
    EXPECT_EQ(read(drm).at(0).statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{0}}}));
}

}  // namespace
}  // namespace vantric
