#include "app/store/metrics_store.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "support/fake_process_table.hpp"
#include "support/store_fixture.hpp"

namespace vantric {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using std::chrono::system_clock;
using testing::FakeHost;
using testing::FakeMachine;
using testing::FakeProcessTable;
using testing::runPass;

constexpr int waitMs = 5000;

class CountingWidgetCenter final : public WidgetCenter {
public:
    explicit CountingWidgetCenter(int& reloads) : reloads_(reloads) {}
    void reloadAllTimelines() override { ++reloads_; }
    void requestConfigurations(ConfigurationsAnswer answer) override { answer({}); }

private:
    int& reloads_;
};

// Keeps what the store hands it, so a test can fire the way the real timer does.
struct TickerRecord {
    int starts = 0;
    std::function<void()> onTick{};
};

class RecordingTicker final : public Ticker {
public:
    explicit RecordingTicker(TickerRecord& record) : record_(record) {}
    void start(std::function<void()> onTick) override {
        ++record_.starts;
        record_.onTick = std::move(onTick);
    }

private:
    TickerRecord& record_;
};

// Stands in the process table's way. Every process pass (the priming one included) counts the
// processes first, and passes through here; while held, that pass waits inside the sampler as a
// slow one would.
class Gate {
public:
    void hold() {
        const std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            const std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // Waits until a pass stands at the gate.
    bool waitUntilEntered() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, milliseconds(waitMs), [this] { return waiting_; });
    }
    bool waitForPasses(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, milliseconds(waitMs), [&] { return passes_ >= count; });
    }
    int passes() const {
        const std::lock_guard lock(mutex_);
        return passes_;
    }

    // On the worker.
    void pass() {
        std::unique_lock lock(mutex_);
        ++passes_;
        waiting_ = held_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        waiting_ = false;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool waiting_ = false;
    int passes_ = 0;
};

class GatedProcessTable final : public ProcessTable {
public:
    GatedProcessTable(std::shared_ptr<FakeProcessTable::State> state, std::shared_ptr<Gate> gate)
        : table_(std::move(state)), gate_(std::move(gate)) {}

    Timebase timebase() override { return table_.timebase(); }
    int countProcesses() override {
        gate_->pass();
        return table_.countProcesses();
    }
    int listProcesses(std::span<std::int32_t> identifiers) override {
        return table_.listProcesses(identifiers);
    }
    std::optional<ProcessUsage> usage(std::int32_t pid) override { return table_.usage(pid); }
    std::string executablePath(std::int32_t pid) override { return table_.executablePath(pid); }
    std::string shortName(std::int32_t pid) override { return table_.shortName(pid); }
    std::string bundleDisplayName(std::string_view bundlePath) override {
        return table_.bundleDisplayName(bundlePath);
    }

private:
    FakeProcessTable table_;
    std::shared_ptr<Gate> gate_;
};

// A store over a fake machine, a gated process table, a ticker fired by hand, clocks moved by
// hand (atomic: the worker reads them) and a widget host that counts its reloads. The test sets
// the machine up, then starts the store.
class MetricsStoreTest : public ::testing::Test {
protected:
    MetricsStoreTest() {
        // The priming pass takes the first processor reading as its baseline.
        machine_.host->tickReadings.push_front({ProcessorTicks{.processor = 0}});
        machine_.info = SystemInfo{.chip = "Test chip", .cores = 8, .memory = 16ULL << 30};
        store_ = std::make_unique<MetricsStore>(MetricsStore::Parts{
            .info = machine_.info,
            .systemSampler =
                std::make_unique<SystemSampler>(std::make_unique<FakeHost>(machine_.host)),
            .processSampler = std::make_unique<ProcessSampler>(
                std::make_unique<GatedProcessTable>(machine_.processes, gate_)),
            .widgetCenter = std::make_unique<CountingWidgetCenter>(reloads_),
            .ticker = std::make_unique<RecordingTicker>(ticker_),
            .now = [this] { return wall(); },
            .monotonicNow = [this] { return steady_clock::time_point(milliseconds(monotonicMs_)); },
        });
    }
    ~MetricsStoreTest() override {
        gate_->release();
        store_.reset();
    }

    system_clock::time_point wall() const {
        return system_clock::time_point(milliseconds(wallMs_));
    }

    void addProcess(std::int32_t pid, const std::string& name, std::uint64_t memory,
                    bool readable = true) {
        machine_.processes->listing.push_back(pid);
        machine_.processes->processes[pid] = FakeProcessTable::Process{
            .usage = {.physicalFootprint = memory, .startTime = 1, .shortName = name},
            .path = "/usr/bin/" + name,
            .name = name,
            .readable = readable};
    }

    FakeMachine machine_;
    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
    TickerRecord ticker_;
    int reloads_ = 0;
    std::atomic<std::int64_t> wallMs_{1'000'000'000'000};
    std::atomic<std::int64_t> monotonicMs_{0};
    std::unique_ptr<MetricsStore> store_;  // last: gone before the fakes the tests reach
};

TEST_F(MetricsStoreTest, StartingTwiceQueuesOnePrimingPassAndStartsTheTickerOnce) {
    machine_.queueProcessorLoad(0.3, 0.1);
    // What the pass would read if a second priming pass had taken the reading above.
    machine_.queueProcessorLoad(0.5, 0.0);
    store_->start();
    store_->start();
    EXPECT_EQ(ticker_.starts, 1);
    ASSERT_TRUE(gate_->waitForPasses(1));

    QSignalSpy published(store_.get(), &MetricsStore::changed);
    ASSERT_TRUE(ticker_.onTick);
    ticker_.onTick();
    ASSERT_TRUE(published.wait(waitMs));
    EXPECT_EQ(gate_->passes(), 2);
    EXPECT_DOUBLE_EQ(store_->cpu().total, 0.4);
}

// The priming pass publishes nothing; the first real one publishes every field before it
// signals, once.
TEST_F(MetricsStoreTest, PublishesEveryFieldOfAPassBeforeSignallingOnceAndNothingBefore) {
    machine_.queueProcessorLoad(0.25, 0.25);
    machine_.setMemory(8ULL << 30, 2ULL << 30, MemoryPressure::warning);
    machine_.setGpuLoad(40);
    addProcess(10, "bash", 4096);
    addProcess(11, "bash", 8192);
    addProcess(12, "sshd", 0, false);
    QSignalSpy published(store_.get(), &MetricsStore::changed);
    store_->start();
    ASSERT_TRUE(gate_->waitForPasses(1));
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
    ASSERT_TRUE(runPass(*store_));
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

TEST_F(MetricsStoreTest, DropsTicksWhileAPassIsInFlightAndQueuesNoBacklog) {
    store_->start();
    ASSERT_TRUE(gate_->waitForPasses(1));
    QSignalSpy published(store_.get(), &MetricsStore::changed);

    gate_->hold();
    store_->tick();
    ASSERT_TRUE(gate_->waitUntilEntered());
    EXPECT_TRUE(store_->passInFlight());
    store_->tick();
    store_->tick();
    gate_->release();
    ASSERT_TRUE(published.wait(waitMs));
    EXPECT_FALSE(store_->passInFlight());

    // A pass queued by a dropped tick would run before this one on the serial queue.
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(gate_->passes(), 3);
    EXPECT_EQ(published.count(), 2);
    EXPECT_EQ(store_->history().size(), 2U);
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

TEST_F(MetricsStoreTest, ReloadsWidgetsEverySixtySecondsOfMonotonicTimeWhateverTheWallClockDoes) {
    store_->start();
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(reloads_, 1);  // the first reading always reloads
    monotonicMs_ = 59'900;
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(reloads_, 1);
    monotonicMs_ = 60'000;
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(reloads_, 2);
    // An hour forward on the wall clock is not a minute of reading time.
    wallMs_ += 3'600'000;
    monotonicMs_ = 61'000;
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(reloads_, 2);
    // Nor does an hour back hold the next reload.
    wallMs_ -= 7'200'000;
    monotonicMs_ = 120'000;
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(reloads_, 3);
}

// Memory in use is app, wired and compressed over the total, capped at 1, and 0 without one;
// cached files and swap are not in it.
TEST_F(MetricsStoreTest, SeriesHaveOneValuePerPointInHistoryOrder) {
    machine_.queueProcessorLoad(0.1, 0.0);
    machine_.queueProcessorLoad(0.2, 0.0);
    machine_.queueProcessorLoad(0.3, 0.0);
    store_->start();
    const std::vector<MemoryCounters> memories{
        {.physicalMemory = 0, .pages = VMPageCounts{.pageSize = 1, .internal = 1}},
        {.physicalMemory = 4, .pages = VMPageCounts{.pageSize = 1, .internal = 8}},
        {.physicalMemory = 100,
         .pages =
             VMPageCounts{
                 .pageSize = 1, .wired = 10, .compressor = 5, .external = 40, .internal = 35},
         .swap = SwapUsage{.total = 100, .used = 50}}};
    for (std::size_t pass = 0; pass < memories.size(); ++pass) {
        machine_.host->memory = memories[pass];
        machine_.setGpuLoad(30.0 - 10.0 * static_cast<double>(pass));
        ASSERT_TRUE(runPass(*store_));
    }
    EXPECT_EQ(store_->series(HistoryField::cpu), (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(store_->series(HistoryField::memory), (std::vector<double>{0.0, 1.0, 0.5}));
    EXPECT_EQ(store_->series(HistoryField::gpu), (std::vector<double>{0.3, 0.2, 0.1}));
}

TEST_F(MetricsStoreTest, WidgetEntryIsDatedNowWhenEmptyAndAtTheLastPointOtherwise) {
    EXPECT_EQ(store_->widgetEntry().date, AbsoluteTime::from(wall()));
    machine_.setGpuLoad(60);
    store_->start();
    ASSERT_TRUE(runPass(*store_));
    const AbsoluteTime last = AbsoluteTime::from(wall());
    wallMs_ += 30'000;  // read between passes: the entry keeps the last reading's date

    const VitalsEntry entry = store_->widgetEntry();
    EXPECT_EQ(entry.date, last);
    EXPECT_EQ(entry.history, store_->history());
    EXPECT_EQ(entry.historyWindow, 119.0);
    EXPECT_EQ(entry.gpu, store_->gpu());
}

TEST_F(MetricsStoreTest, DestroyingTheStoreWithAPassInFlightFinishesThePassAndDropsItsReading) {
    store_->start();
    ASSERT_TRUE(gate_->waitForPasses(1));
    gate_->hold();
    store_->tick();
    ASSERT_TRUE(gate_->waitUntilEntered());
    // The destructor has to wait for the pass; the gate opens while it does (or just before,
    // which the test does not tell apart).
    std::thread opener([gate = gate_] {
        std::this_thread::sleep_for(milliseconds(50));
        gate->release();
    });
    store_.reset();
    opener.join();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    EXPECT_EQ(gate_->passes(), 2);
    // The pass read the processors while the samplers lived, and its reading was never applied.
    EXPECT_EQ(machine_.host->processorCalls, 2);
    EXPECT_EQ(reloads_, 0);
}

}  // namespace
}  // namespace vantric
