#include "widgets/extension/vitals_reader.hpp"

#include <atomic>
#include <condition_variable>
#include <thread>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/fake_host.hpp"
#include "widgets/extension/vitals_provider.hpp"

namespace vantric {
namespace {

using testing::FakeHost;

// A pause that waits until the test opens it.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void awaitWaiter() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return waiting_ > 0; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool open_ = false;
};

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
        ticks += 1000;
        host->tickReadings.push_back({ProcessorTicks{.processor = 0, .user = 0, .idle = ticks}});
        host->tickReadings.push_back(
            {ProcessorTicks{.processor = 0, .user = busy, .idle = ticks + 1000 - busy}});
        ticks += 1000;
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
    std::uint64_t ticks = 0;
};

TEST_F(VitalsReaderTest, MeasuresOverThePauseAndReusesAnEntryYoungerThanTenSeconds) {
    queueMeasurement(400);
    queueMeasurement(800);
    VitalsReader reader = makeReader();
    const VitalsEntry first = reader.read();
    EXPECT_DOUBLE_EQ(first.cpu.total, 0.4);
    EXPECT_DOUBLE_EQ(first.memory.total, 1000);
    EXPECT_DOUBLE_EQ(first.history.at(0).memory, 0.25);
    EXPECT_DOUBLE_EQ(first.history.at(0).gpu, 0.3);
    EXPECT_EQ(first.date, AbsoluteTime{1000});
    EXPECT_EQ(first.historyWindow, 3600);

    now = 1009.9;
    EXPECT_EQ(reader.read(), first);
    EXPECT_EQ(measurements(), 1);

    now = 1011;
    const VitalsEntry second = reader.read();
    EXPECT_EQ(measurements(), 2);
    EXPECT_DOUBLE_EQ(second.cpu.total, 0.8);
    EXPECT_EQ(second.history.size(), 2U);
}

TEST_F(VitalsReaderTest, AnEntryFromTheFutureIsNotFresh) {
    queueMeasurement(100);
    queueMeasurement(200);
    VitalsReader reader = makeReader();
    reader.read();
    // The clock was set back a day: the widgets measure again rather than freeze for a day.
    now = 1000 - 86400;
    const VitalsEntry after = reader.read();
    EXPECT_EQ(measurements(), 2);
    EXPECT_EQ(after.date, AbsoluteTime{1000 - 86400});
    // The point from "the future" is gone from the history rather than left out of order.
    EXPECT_EQ(after.history.size(), 1U);
}

TEST_F(VitalsReaderTest, FourCallersAtOnceShareOneMeasurementAndOneHistoryPoint) {
    queueMeasurement(500);
    queueMeasurement(900);
    Gate gate;
    VitalsReader reader = makeReader([&] { gate.wait(); });

    std::vector<VitalsEntry> entries(4);
    std::vector<std::thread> callers;
    callers.emplace_back([&] { entries[0] = reader.read(); });
    gate.awaitWaiter();
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
    gate.open();
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
    const VitalsEntry placeholder = VitalsProvider::placeholder();
    EXPECT_EQ(placeholder.history.size(), 24U);
    EXPECT_EQ(host->processorCalls, 0);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("history.ini"))));

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
