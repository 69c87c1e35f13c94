#include "platform/linux/drm_accelerators.hpp"

#include <chrono>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::writeFile;

std::vector<Accelerator> read(DrmAccelerators& drm) {
    std::vector<Accelerator> found;
    drm.append(found, nullptr);
    return found;
}

TEST(DrmAccelerators, PublishesBusyCardsInNumberOrderWithTheirMemoryInUse) {
    DrmAccelerators laptop(testing::fixturePath("hosts/laptop-zram"), std::chrono::seconds(60));
    // Its own memory (VRAM) apart from the system memory mapped for it (GTT).
    EXPECT_EQ(read(laptop).at(0).statistics,
              (PerformanceStatistics{{"Device Utilization %", std::uint64_t{37}},
                                     {"In use video memory", std::uint64_t{1073741824}},
                                     {"Alloc video memory", std::uint64_t{1073741824}},
                                     {"In use system memory", std::uint64_t{268435456}},
                                     {"Alloc system memory", std::uint64_t{268435456}}}));

    testing::TemporaryTree tree;
    // No busy figure, and a driver nobody knows to count clients of: listed without statistics.
    writeFile(tree / "sys/class/drm/card0/device/vendor", "0x8086\n");
    writeFile(tree / "sys/class/drm/card0-HDMI-A-1/device/gpu_busy_percent", "99\n");
    for (const auto& [card, busy] :
         {std::pair{"card1", "12\n"}, {"card10", "13\n"}, {"card2", "14\n"}}) {
        writeFile(tree / "sys/class/drm" / card / "device/gpu_busy_percent", busy);
    }
    DrmAccelerators drm(tree.root(), std::chrono::seconds(60));
    std::vector<std::optional<StatisticValue>> busy;
    for (const Accelerator& card : read(drm)) {
        busy.push_back(card.statistics ? std::optional(card.statistics->at("Device Utilization %"))
                                       : std::nullopt);
        EXPECT_FALSE(card.statistics && card.statistics->contains("In use system memory"));
    }
    EXPECT_EQ(busy, (std::vector<std::optional<StatisticValue>>{std::nullopt, 12UL, 14UL, 13UL}));
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
