#include "app/store/metrics_store.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
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

#include "platform/linux/linux_host.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "support/fake_process_table.hpp"
#include "support/file_faults.hpp"
#include "support/fixtures.hpp"
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

TEST_F(MetricsStoreTest, PublishesNothingBeforeTheFirstPass) {
    addProcess(10, "bash", 4096);
    machine_.setMemory(8ULL << 30, 2ULL << 30, MemoryPressure::warning);
    machine_.setGpuLoad(40);
    QSignalSpy published(store_.get(), &MetricsStore::changed);
    store_->start();
    ASSERT_TRUE(gate_->waitForPasses(1));
    QCoreApplication::processEvents();

    EXPECT_EQ(published.count(), 0);
    EXPECT_FALSE(store_->passInFlight());
    EXPECT_EQ(store_->info(), machine_.info);
    EXPECT_EQ(store_->cpu(), CPUSnapshot{});
    EXPECT_EQ(store_->memory(), MemorySnapshot{});
    EXPECT_EQ(store_->gpu(), GPUSnapshot{});
    EXPECT_TRUE(store_->apps().empty());
    EXPECT_EQ(store_->processCount(), 0);
    EXPECT_EQ(store_->readableProcessCount(), 0);
    EXPECT_TRUE(store_->history().empty());
    EXPECT_EQ(reloads_, 0);
}

TEST_F(MetricsStoreTest, PublishesEveryFieldOfThePassBeforeSignallingOnce) {
    machine_.queueProcessorLoad(0.25, 0.25);
    machine_.setMemory(8ULL << 30, 2ULL << 30, MemoryPressure::warning);
    machine_.setGpuLoad(40);
    addProcess(10, "bash", 4096);
    addProcess(11, "bash", 8192);
    addProcess(12, "sshd", 0, false);
    store_->start();

    struct Seen {
        double cpu = 0;
        std::uint64_t memory = 0;
        double gpu = 0;
        std::size_t apps = 0;
        int processes = 0;
        int readable = 0;
        std::size_t history = 0;
        int reloads = 0;
    };
    std::vector<Seen> seen;
    QObject::connect(store_.get(), &MetricsStore::changed, [&] {
        seen.push_back(Seen{.cpu = store_->cpu().total,
                            .memory = store_->memory().total,
                            .gpu = store_->gpu().utilization,
                            .apps = store_->apps().size(),
                            .processes = store_->processCount(),
                            .readable = store_->readableProcessCount(),
                            .history = store_->history().size(),
                            .reloads = reloads_});
    });
    ASSERT_TRUE(runPass(*store_));
    QCoreApplication::processEvents();

    ASSERT_EQ(seen.size(), 1U);
    EXPECT_DOUBLE_EQ(seen[0].cpu, 0.5);
    EXPECT_EQ(seen[0].memory, 8ULL << 30);
    EXPECT_DOUBLE_EQ(seen[0].gpu, 0.4);
    EXPECT_EQ(seen[0].apps, 1U);
    EXPECT_EQ(seen[0].processes, 3);
    EXPECT_EQ(seen[0].readable, 2);
    EXPECT_EQ(seen[0].history, 1U);
    EXPECT_EQ(seen[0].reloads, 1);

    ASSERT_EQ(store_->apps().size(), 1U);
    EXPECT_EQ(store_->apps()[0].name, "bash");
    EXPECT_EQ(store_->apps()[0].memory, 4096U + 8192U);
    EXPECT_EQ(store_->memory().pressure, MemoryPressure::warning);
    const HistoryPoint& point = store_->history().back();
    EXPECT_EQ(point.date, AbsoluteTime::from(wall()));
    EXPECT_DOUBLE_EQ(point.cpu, 0.5);
    EXPECT_DOUBLE_EQ(point.memory, 0.25);
    EXPECT_DOUBLE_EQ(point.gpu, 0.4);
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
        machine_.setGpuLoad(pass % 100);
        wallMs_ += 1000;
        dates.push_back(AbsoluteTime::from(wall()));
        ASSERT_TRUE(runPass(*store_));
        if (pass == 119) {
            EXPECT_EQ(store_->history().size(), 120U);
            EXPECT_EQ(store_->history().front().date, dates.front());
        }
    }
    const auto& history = store_->history();
    ASSERT_EQ(history.size(), 120U);
    // The first pass (gpu 0) is gone; the second (gpu 0.01) is now the oldest.
    EXPECT_EQ(history.front().date, dates[1]);
    EXPECT_DOUBLE_EQ(history.front().gpu, 0.01);
    EXPECT_EQ(history.back().date, dates.back());
    EXPECT_DOUBLE_EQ(history.back().gpu, 0.20);
    for (std::size_t index = 1; index < history.size(); ++index) {
        EXPECT_LT(history[index - 1].date, history[index].date) << index;
    }
}

TEST_F(MetricsStoreTest, CountsAppWiredAndCompressedMemoryOverTotalCappedAtOne) {
    store_->start();
    machine_.setMemory(0, 1 << 20, MemoryPressure::normal);
    ASSERT_TRUE(runPass(*store_));
    machine_.setMemory(1 << 20, 4 << 20, MemoryPressure::critical);
    ASSERT_TRUE(runPass(*store_));
    // Cached files and swap are not memory in use.
    machine_.host->memory = MemoryCounters{
        .physicalMemory = std::uint64_t{100} * 4096,
        .pages =
            VMPageCounts{
                .pageSize = 4096, .wired = 10, .compressor = 5, .external = 40, .internal = 35},
        .swap = SwapUsage{.total = 1 << 30, .used = 1 << 29},
    };
    ASSERT_TRUE(runPass(*store_));
    EXPECT_EQ(store_->series(HistoryField::memory), (std::vector<double>{0.0, 1.0, 0.5}));
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

TEST_F(MetricsStoreTest, SeriesHaveOneValuePerPointInHistoryOrder) {
    EXPECT_TRUE(store_->series(HistoryField::cpu).empty());
    EXPECT_TRUE(store_->series(HistoryField::memory).empty());
    EXPECT_TRUE(store_->series(HistoryField::gpu).empty());
    machine_.queueProcessorLoad(0.1, 0.0);
    machine_.queueProcessorLoad(0.2, 0.0);
    machine_.queueProcessorLoad(0.3, 0.0);
    machine_.setMemory(4 << 20, 1 << 20, MemoryPressure::normal);
    store_->start();
    for (const double gpu : {30, 20, 10}) {
        machine_.setGpuLoad(gpu);
        ASSERT_TRUE(runPass(*store_));
    }
    EXPECT_EQ(store_->series(HistoryField::cpu), (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(store_->series(HistoryField::memory), (std::vector<double>{0.25, 0.25, 0.25}));
    EXPECT_EQ(store_->series(HistoryField::gpu), (std::vector<double>{0.3, 0.2, 0.1}));
}

TEST_F(MetricsStoreTest, WidgetEntryIsDatedNowWhenEmptyAndAtTheLastPointOtherwise) {
    const VitalsEntry empty = store_->widgetEntry();
    EXPECT_EQ(empty.date, AbsoluteTime::from(wall()));
    EXPECT_TRUE(empty.history.empty());
    EXPECT_EQ(empty.historyWindow, 119.0);
    EXPECT_EQ(empty.cpu, CPUSnapshot{});

    machine_.queueProcessorLoad(0.5, 0.25);
    machine_.setGpuLoad(60);
    store_->start();
    ASSERT_TRUE(runPass(*store_));
    wallMs_ += 1000;
    ASSERT_TRUE(runPass(*store_));
    const AbsoluteTime last = AbsoluteTime::from(wall());
    wallMs_ += 30'000;  // read between passes: the entry keeps the last reading's date

    const VitalsEntry entry = store_->widgetEntry();
    EXPECT_EQ(entry.date, last);
    EXPECT_EQ(entry.history, store_->history());
    EXPECT_EQ(entry.history.size(), 2U);
    EXPECT_EQ(entry.historyWindow, 119.0);
    EXPECT_EQ(entry.cpu, store_->cpu());
    EXPECT_EQ(entry.memory, store_->memory());
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

// The store over the real Linux readers and a private tree: a laptop's host files and a desktop's
// processes, two shells among them: bash 1204 with 3072 kB of its own and bash 3003 with 1024 kB.
// Denied files are left to the readers' tests: refusing them to root takes the sampler thread's
// own filesystem uid.
class MetricsStoreOverBrokenFiles : public ::testing::TestWithParam<testing::FileFault> {};

TEST_P(MetricsStoreOverBrokenFiles, PublishesTheFallbacksThenTheReadingsOnceTheFilesAreWhole) {
    const testing::TemporaryTree tree("laptop-zram");
    std::filesystem::copy(
        testing::fixturePath("processes/desktop"), tree.root(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    const auto procStat = [](int busy, int idle) {
        return "cpu  0 0 0 0\ncpu0 " + std::to_string(busy) + " 0 0 " + std::to_string(idle) +
               "\nintr 0\n";
    };
    testing::writeFile(tree / "proc/stat", procStat(100, 100));
    MetricsStore::Parts parts;
    parts.systemSampler = std::make_unique<SystemSampler>(std::make_unique<LinuxHost>(
        tree.root(), LinuxHost::Options{.nvmlLibrary = "", .deviceRescan = {}}));
    parts.processSampler =
        std::make_unique<ProcessSampler>(std::make_unique<LinuxProcessTable>(tree.root()));
    parts.ticker = std::make_unique<testing::ManualTicker>();
    MetricsStore store(std::move(parts));
    const auto shellsMemory = [&store]() -> std::uint64_t {
        for (const AppUsage& app : store.apps()) {
            if (app.id == "process:bash") {
                return app.memory / 1024;
            }
        }
        return 0;
    };
    store.start();
    ASSERT_TRUE(runPass(store));
    const MemorySnapshot memory = store.memory();
    const int readable = store.readableProcessCount();
    ASSERT_EQ(shellsMemory(), 4096U);

    std::map<std::string, std::string> originals;
    for (const auto& [file, cutInside] : {std::pair{"proc/stat", "cpu0 "},
                                          {"proc/meminfo", "MemTotal:"},
                                          {"proc/pressure/memory", "some avg10="},
                                          {"proc/1204/stat", ") S "}}) {
        originals[file] = testing::readFile(tree / file);
        testing::breakFile(GetParam(), tree / file, cutInside);
    }
    ASSERT_TRUE(runPass(store));
    EXPECT_EQ(store.cpu(), CPUSnapshot{});
    EXPECT_EQ(store.memory(), MemorySnapshot{});
    EXPECT_EQ(shellsMemory(), 1024U);
    EXPECT_EQ(store.readableProcessCount(), readable - 1);

    for (const auto& [file, text] : originals) {
        testing::repairFile(tree / file, text);
    }
    testing::repairFile(tree / "proc/stat", procStat(200, 200));
    ASSERT_TRUE(runPass(store));
    EXPECT_EQ(store.cpu().perCore, std::vector<double>{0.5});
    EXPECT_EQ(store.memory(), memory);
    EXPECT_EQ(shellsMemory(), 4096U);
    EXPECT_EQ(store.readableProcessCount(), readable);
}

INSTANTIATE_TEST_SUITE_P(Faults, MetricsStoreOverBrokenFiles,
                         ::testing::Values(testing::FileFault::vanished,
                                           testing::FileFault::truncated,
                                           testing::FileFault::binary,
                                           testing::FileFault::hugeNumbers),
                         [](const auto& info) { return testing::faultName(info.param); });

}  // namespace
}  // namespace vantric
