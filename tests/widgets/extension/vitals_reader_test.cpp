#include "widgets/extension/vitals_reader.hpp"

#include <atomic>
#include <condition_variable>
#include <semaphore>
#include <thread>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/fake_host.hpp"
#include "widgets/extension/vitals_provider.hpp"

namespace vantric {
namespace {

using testing::FakeHost;

struct VitalsReaderTest : ::testing::Test {
    VitalsReaderTest() {
        host->memory = MemoryCounters{
            .physicalMemory = 1000,
            .pages = VMPageCounts{.pageSize = 1, .wired = 100, .compressor = 50, .internal = 100}};
        host->accelerators = {
            Accelerator{.statistics = PerformanceStatistics{{"Device Utilization %", 30.0}}}};
    }

    // Each measurement takes two processor readings: the discarded baseline and the real one.
    void queueMeasurement(std::uint64_t busy) {
        host->tickReadings.push_back({ProcessorTicks{}});
        host->tickReadings.push_back({ProcessorTicks{.user = busy, .idle = 1000 - busy}});
    }

    VitalsReader makeReader(std::function<void()> pause = [] {}) {
        return VitalsReader(
            {.sampler = std::make_unique<SystemSampler>(std::make_unique<FakeHost>(host)),
             .history =
                 std::make_unique<HistoryStore>(folder.filePath(QStringLiteral("history.ini"))),
             .now =
                 [this] {
                     ++clockReads;
                     return AbsoluteTime{now.load()};
                 },
             .pause = std::move(pause)});
    }

    int measurements() const { return host->processorCalls / 2; }

    std::shared_ptr<FakeHost::State> host = std::make_shared<FakeHost::State>();
    QTemporaryDir folder;
    std::atomic<double> now = 1000;
    std::atomic<int> clockReads = 0;
};

TEST_F(VitalsReaderTest, MeasuresOverThePauseAndReusesOnlyAnEntryYoungerThanTenSeconds) {
    for (const std::uint64_t busy : {400, 800, 200}) {
        queueMeasurement(busy);
    }
    VitalsReader reader = makeReader();
    const VitalsEntry first = reader.read();
    // The history point carries the headline figures of the same reading, dated by the clock.
    EXPECT_EQ(first.history, (std::vector<HistoryPoint>{{AbsoluteTime{1000}, 0.4, 0.25, 0.3}}));

    now = 1009.9;
    EXPECT_EQ(reader.read(), first);
    EXPECT_EQ(measurements(), 1);

    now = 1011;
    const VitalsEntry second = reader.read();
    EXPECT_EQ(measurements(), 2);
    EXPECT_DOUBLE_EQ(second.cpu.total, 0.8);
    EXPECT_EQ(second.history.size(), 2U);

    // The clock was set back a day: the widgets measure again rather than freeze for a day.
    now = 1000 - 86400;
    reader.read();
    EXPECT_EQ(measurements(), 3);
}

TEST_F(VitalsReaderTest, FourCallersAtOnceShareOneMeasurementAndOneHistoryPoint) {
    queueMeasurement(500);
    queueMeasurement(900);
    std::counting_semaphore<> paused{0};
    std::counting_semaphore<> resumed{0};
    VitalsReader reader = makeReader([&] {
        paused.release();
        resumed.acquire();
    });

    std::vector<VitalsEntry> entries(4);
    std::vector<std::thread> callers;
    callers.emplace_back([&] { entries[0] = reader.read(); });
    paused.acquire();
    const int beforeJoiners = clockReads.load();
    for (std::size_t caller = 1; caller < entries.size(); ++caller) {
        callers.emplace_back([&, caller] { entries[caller] = reader.read(); });
    }
    // Each caller reads the clock once on arrival, under the same lock that makes it join.
    while (clockReads.load() < beforeJoiners + 3) {
        std::this_thread::yield();
    }
    // Were a latecomer to miss the flight, it would find the entry stale and measure again.
    now = 2000;
    resumed.release(static_cast<std::ptrdiff_t>(entries.size()));
    for (std::thread& caller : callers) {
        caller.join();
    }
    EXPECT_EQ(measurements(), 1);
    for (const VitalsEntry& entry : entries) {
        EXPECT_EQ(entry, entries[0]);
    }
    EXPECT_EQ(entries[0].history.size(), 1U);
}

TEST_F(VitalsReaderTest, TheProviderAnswersOnItsOwnThreadsWithAReloadFiveMinutesOn) {
    queueMeasurement(300);
    VitalsReader reader = makeReader();
    std::mutex mutex;
    std::condition_variable answered;
    std::vector<Timeline> timelines;
    std::vector<std::thread::id> threads;
    VitalsProvider provider(reader);
    for (int request = 0; request < 4; ++request) {
        provider.timeline([&](Timeline timeline) {
            const std::lock_guard lock(mutex);
            timelines.push_back(std::move(timeline));
            threads.push_back(std::this_thread::get_id());
            answered.notify_all();
        });
    }
    std::unique_lock lock(mutex);
    ASSERT_TRUE(
        answered.wait_for(lock, std::chrono::seconds(10), [&] { return timelines.size() == 4; }));
    EXPECT_EQ(measurements(), 1);
    for (std::size_t index = 0; index < timelines.size(); ++index) {
        ASSERT_EQ(timelines[index].entries.size(), 1U);
        EXPECT_EQ(timelines[index].reloadAfter, AbsoluteTime{1000 + 300});
        EXPECT_NE(threads[index], std::this_thread::get_id());
    }
}

}  // namespace
}  // namespace vantric
