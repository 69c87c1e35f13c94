#include "app/store/metrics_store.hpp"

#include <atomic>
#include <chrono>
#include <climits>
#include <thread>

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "support/store_fixture.hpp"

namespace vantric {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using std::chrono::system_clock;
using testing::runPass;

constexpr int waitMs = 5000;

struct CountingWidgetCenter final : WidgetCenter {
    explicit CountingWidgetCenter(int& reloads) : reloads(reloads) {}
    void reloadAllTimelines() override { ++reloads; }
    void requestConfigurations(ConfigurationsAnswer answer) override { answer({}); }
    int& reloads;
};

// Keeps what the store hands it at each start, so a test can fire the way the real timer does.
struct RecordingTicker final : Ticker {
    explicit RecordingTicker(std::vector<std::function<void()>>& starts) : starts(starts) {}
    void start(std::function<void()> onTick) override { starts.push_back(std::move(onTick)); }
    std::vector<std::function<void()>>& starts;
};

// A store over a fake machine, a ticker fired by hand, clocks moved by hand (atomic: the worker
// reads them) and a widget host that counts its reloads. Every process pass (the priming one
// included) counts the processes first, and so passes a gate; while the gate is held, the pass
// waits there as a slow one would. The test sets the machine up, then starts the store.
class MetricsStoreTest : public ::testing::Test {
protected:
    MetricsStoreTest() {
        machine_.processes->onCount = [this] {
            const int pass = ++passes_;
            while (pass >= holdFrom_) {
                std::this_thread::sleep_for(milliseconds(1));
            }
        };
        store_ = machine_.makeStore({
            .widgetCenter = std::make_unique<CountingWidgetCenter>(reloads_),
            .ticker = std::make_unique<RecordingTicker>(tickerStarts_),
            .now = [this] { return wall(); },
            .monotonicNow = [this] { return steady_clock::time_point(milliseconds(monotonicMs_)); },
        });
    }
    ~MetricsStoreTest() override {
        holdFrom_ = INT_MAX;
        store_.reset();
    }

    system_clock::time_point wall() const {
        return system_clock::time_point(milliseconds(wallMs_));
    }
    // Waits until count passes have reached the gate; the last may be waiting at it.
    bool waitForPasses(int count) {
        const auto deadline = steady_clock::now() + milliseconds(waitMs);
        while (passes_ < count && steady_clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        return passes_ >= count;
    }
    // Holds the gate, ticks, and waits until that pass, the given one, stands at the gate.
    bool tickIntoTheHeldGate(int pass) {
        if (!waitForPasses(pass - 1)) {
            return false;
        }
        holdFrom_ = pass;
        store_->tick();
        return waitForPasses(pass);
    }

    testing::FakeMachine machine_;
    std::atomic<int> passes_{0};
    std::atomic<int> holdFrom_{INT_MAX};  // the first pass the gate holds
    std::vector<std::function<void()>> tickerStarts_;
    int reloads_ = 0;
    std::atomic<std::int64_t> wallMs_{1'000'000'000'000};
    std::atomic<std::int64_t> monotonicMs_{0};
    std::unique_ptr<MetricsStore> store_;  // last: gone before the fakes the tests reach
};

// Starting twice queues one priming pass (a second would take the queued processor reading) and
// starts the ticker once. The priming pass publishes nothing; the first real one publishes every
// field before it signals, once.
TEST_F(MetricsStoreTest, PublishesEveryFieldOfAPassBeforeSignallingOnceAndNothingBefore) {
    machine_.queueProcessorLoad(0.25, 0.25);
    machine_.setMemory(8ULL << 30, 2ULL << 30, MemoryPressure::warning);
    machine_.setGpuLoad(40);
    for (const auto& [pid, name, memory] :
         {std::tuple{10, "bash", 4096U}, {11, "bash", 8192U}, {12, "sshd", 0U}}) {
        machine_.processes->listing.push_back(pid);
        machine_.processes->processes[pid] = {
            .usage = ProcessUsage{.physicalFootprint = memory, .shortName = name},
            .name = name,
            .readable = pid != 12};
    }
    QSignalSpy published(store_.get(), &MetricsStore::changed);
    store_->start();
    store_->start();
    ASSERT_EQ(tickerStarts_.size(), 1U);
    ASSERT_TRUE(waitForPasses(1));
    QCoreApplication::processEvents();
    EXPECT_EQ(published.count(), 0);
    EXPECT_TRUE(store_->history().empty());
    EXPECT_EQ(reloads_, 0);

    std::vector<std::size_t> historyWhenSignalled;
    QObject::connect(store_.get(), &MetricsStore::changed, [&] {
        EXPECT_EQ(store_->apps().size(), 1U);
        EXPECT_EQ(reloads_, 1);
        historyWhenSignalled.push_back(store_->history().size());
    });
    tickerStarts_.front()();
    ASSERT_TRUE(published.wait(waitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(historyWhenSignalled, std::vector<std::size_t>{1});
    EXPECT_EQ(store_->processCount(), 3);
    EXPECT_EQ(store_->readableProcessCount(), 2);
    EXPECT_EQ(store_->apps()[0].memory, 4096U + 8192U);
    EXPECT_EQ(store_->memory().pressure, MemoryPressure::warning);
    EXPECT_EQ(
        store_->history().back(),
        (HistoryPoint{.date = AbsoluteTime::from(wall()), .cpu = 0.5, .memory = 0.25, .gpu = 0.4}));
}

// A pass slower than the interval costs the ticks that fall within it; the store destroyed with
// a pass in flight waits for the pass and drops its reading.
TEST_F(MetricsStoreTest, DropsTicksWhileAPassIsInFlightAndThePassWhenDestroyed) {
    store_->start();
    QSignalSpy published(store_.get(), &MetricsStore::changed);
    ASSERT_TRUE(tickIntoTheHeldGate(2));
    EXPECT_TRUE(store_->passInFlight());
    store_->tick();
    store_->tick();
    holdFrom_ = INT_MAX;
    ASSERT_TRUE(published.wait(waitMs));
    EXPECT_FALSE(store_->passInFlight());

    // A pass queued by a dropped tick would run before this one on the serial queue.
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(passes_, 3);
    EXPECT_EQ(published.count(), 2);
    EXPECT_EQ(store_->history().size(), 2U);
    EXPECT_EQ(reloads_, 1);

    // A minute on, a reading that was applied would reload the widgets.
    monotonicMs_ = 60'000;
    ASSERT_TRUE(tickIntoTheHeldGate(4));
    // The destructor has to wait for the pass; the gate opens while it does (or just before,
    // which the test does not tell apart).
    std::thread opener([this] {
        std::this_thread::sleep_for(milliseconds(50));
        holdFrom_ = INT_MAX;
    });
    store_.reset();
    opener.join();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(passes_, 4);
    // The pass read the processors while the samplers lived, and its reading was never applied.
    EXPECT_EQ(machine_.host->processorCalls, 4);
    EXPECT_EQ(reloads_, 1);
}

TEST_F(MetricsStoreTest, KeepsOnlyTheNewest120PointsOldestFirst) {
    store_->start();
    std::vector<AbsoluteTime> dates;
    for (int pass = 0; pass < 121; ++pass) {
        wallMs_ += 1000;
        dates.push_back(AbsoluteTime::from(wall()));
        ASSERT_TRUE(runPass(*store_));
    }
    const auto& history = store_->history();
    ASSERT_EQ(history.size(), 120U);
    EXPECT_EQ(history.front().date, dates[1]);
    EXPECT_EQ(history.back().date, dates.back());
}

// The first reading always reloads. An hour forward on the wall clock is not a minute of reading
// time, nor does an hour back hold the next reload.
TEST_F(MetricsStoreTest, ReloadsWidgetsEverySixtySecondsOfMonotonicTimeWhateverTheWallClockDoes) {
    store_->start();
    const std::tuple<std::int64_t, std::int64_t, int> passes[] = {{0, 0, 1},
                                                                  {59'900, 0, 1},
                                                                  {60'000, 0, 2},
                                                                  {61'000, 3'600'000, 2},
                                                                  {120'000, -7'200'000, 3}};
    for (const auto& [monotonicMs, wallStepMs, reloads] : passes) {
        monotonicMs_ = monotonicMs;
        wallMs_ += wallStepMs;
        ASSERT_TRUE(runPass(*store_));
        EXPECT_EQ(reloads_, reloads) << monotonicMs;
    }
}

// Memory in use is app, wired and compressed over the total; cached files and swap are not in
// it. The widget entry is dated now while there is no history, then at the last point even when
// read later.
TEST_F(MetricsStoreTest, SeriesAndTheWidgetEntryFollowTheHistory) {
    EXPECT_EQ(store_->widgetEntry().date, AbsoluteTime::from(wall()));
    for (const double user : {0.1, 0.2, 0.3}) {
        machine_.queueProcessorLoad(user, 0.0);
    }
    machine_.host->memory = {
        .physicalMemory = 100,
        .pages =
            VMPageCounts{
                .pageSize = 1, .wired = 10, .compressor = 5, .external = 40, .internal = 35},
        .swap = SwapUsage{.total = 100, .used = 50}};
    store_->start();
    for (const double gpu : {30, 20, 10}) {
        machine_.setGpuLoad(gpu);
        ASSERT_TRUE(runPass(*store_));
    }
    EXPECT_EQ(store_->series(HistoryField::cpu), (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(store_->series(HistoryField::memory), (std::vector<double>{0.5, 0.5, 0.5}));
    EXPECT_EQ(store_->series(HistoryField::gpu), (std::vector<double>{0.3, 0.2, 0.1}));

    const AbsoluteTime last = AbsoluteTime::from(wall());
    wallMs_ += 30'000;
    const VitalsEntry entry = store_->widgetEntry();
    EXPECT_EQ(entry.date, last);
    EXPECT_EQ(entry.history, store_->history());
    EXPECT_EQ(entry.historyWindow, 119.0);
    EXPECT_EQ(entry.gpu, store_->gpu());
}

}  // namespace
}  // namespace vantric
