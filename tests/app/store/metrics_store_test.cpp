#include "app/store/metrics_store.hpp"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "support/store_fixture.hpp"

namespace vantric {
namespace {

using std::chrono::steady_clock;
using std::chrono::system_clock;
using testing::FakeMachine;
using testing::runPass;

class CountingWidgetCenter final : public WidgetCenter {
public:
    explicit CountingWidgetCenter(int& reloads) : reloads_(reloads) {}
    void reloadAllTimelines() override { ++reloads_; }
    std::vector<std::string> currentConfigurations() override { return {}; }

private:
    int& reloads_;
};

// Clocks the test moves by hand; the worker reads them, so they are atomic.
struct FakeClocks {
    std::atomic<std::int64_t> wallMs{1'000'000'000'000};
    std::atomic<std::int64_t> monotonicMs{0};

    MetricsStore::Parts parts(int& reloads) {
        return {
            .widgetCenter = std::make_unique<CountingWidgetCenter>(reloads),
            .now = [this] { return system_clock::time_point(std::chrono::milliseconds(wallMs)); },
            .monotonicNow =
                [this] {
                    return steady_clock::time_point(std::chrono::milliseconds(monotonicMs));
                }};
    }
};

TEST(MetricsStore, StartsOnceAndPublishesNothingBeforeTheFirstPass) {
    FakeMachine machine;
    auto store = machine.makeStore();
    store->start();
    store->start();
    QCoreApplication::processEvents();
    EXPECT_TRUE(store->history().empty());
    EXPECT_EQ(store->cpu(), CPUSnapshot{});
    EXPECT_EQ(store->processCount(), 0);
    const VitalsEntry entry = store->widgetEntry();
    EXPECT_TRUE(entry.history.empty());
    EXPECT_EQ(entry.historyWindow, 119.0);
    ASSERT_TRUE(runPass(*store));
    // One priming pass and one real pass read the processors, however often start was called.
    EXPECT_EQ(machine.host->processorCalls, 2);
}

TEST(MetricsStore, DropsATickWhileAPassIsInFlight) {
    FakeMachine machine;
    auto store = machine.makeStore();
    store->start();
    QSignalSpy published(store.get(), &MetricsStore::changed);
    store->tick();
    EXPECT_TRUE(store->passInFlight());
    // The pass cannot be applied before the main thread runs its events, so it is in flight.
    store->tick();
    store->tick();
    ASSERT_TRUE(published.wait(5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(published.count(), 1);
    EXPECT_FALSE(store->passInFlight());
    EXPECT_EQ(store->history().size(), 1U);
    EXPECT_EQ(machine.host->processorCalls, 2);
}

TEST(MetricsStore, KeepsTheNewest120PointsOldestFirstAndSeriesFollowThem) {
    FakeMachine machine;
    int reloads = 0;
    FakeClocks clocks;
    auto store = machine.makeStore(clocks.parts(reloads));
    store->start();
    for (int pass = 0; pass < 121; ++pass) {
        machine.setGpuLoad(pass % 100);
        clocks.wallMs += 1000;
        ASSERT_TRUE(runPass(*store));
    }
    const auto& history = store->history();
    ASSERT_EQ(history.size(), 120U);
    // The first pass (gpu 0) is gone; the second (gpu 0.01) is now the oldest.
    EXPECT_DOUBLE_EQ(history.front().gpu, 0.01);
    EXPECT_DOUBLE_EQ(history.back().gpu, 0.20);
    EXPECT_LT(history.front().date, history.back().date);
    const std::vector<double> gpu = store->series(HistoryField::gpu);
    ASSERT_EQ(gpu.size(), 120U);
    EXPECT_DOUBLE_EQ(gpu.front(), 0.01);
    EXPECT_DOUBLE_EQ(gpu.back(), 0.20);
    EXPECT_EQ(store->widgetEntry().date, history.back().date);
}

TEST(MetricsStore, CountsMemoryInUseAgainstTotalCappedAtOne) {
    FakeMachine machine;
    auto store = machine.makeStore();
    store->start();
    machine.setMemory(0, 1 << 20, MemoryPressure::normal);
    ASSERT_TRUE(runPass(*store));
    machine.setMemory(1 << 20, 4 << 20, MemoryPressure::critical);
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(store->series(HistoryField::memory), (std::vector<double>{0.0, 1.0}));
    EXPECT_EQ(store->memory().pressure, MemoryPressure::critical);
}

TEST(MetricsStore, ReloadsWidgetsEverySixtySecondsOfMonotonicTimeWhateverTheWallClockDoes) {
    FakeMachine machine;
    int reloads = 0;
    FakeClocks clocks;
    auto store = machine.makeStore(clocks.parts(reloads));
    store->start();
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(reloads, 1);  // the first reading always reloads
    clocks.monotonicMs = 59'900;
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(reloads, 1);
    clocks.monotonicMs = 60'000;
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(reloads, 2);
    // The wall clock set back an hour does not hold the next reload.
    clocks.wallMs -= 3'600'000;
    clocks.monotonicMs = 120'000;
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(reloads, 3);
}

TEST(MetricsStore, DestroyingTheStoreWithAPassInFlightDropsThePass) {
    FakeMachine machine;
    auto store = machine.makeStore();
    store->start();
    store->tick();
    store.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(machine.host->processorCalls, 2);
}

}  // namespace
}  // namespace vantric
