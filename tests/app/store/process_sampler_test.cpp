#include "app/store/process_sampler.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "platform/linux/linux_app_directory.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "support/fake_process_table.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::FakeProcessTable;

constexpr std::uint64_t second = 1'000'000'000;

// The row of that id; an empty one, of no processes, when there is none.
AppUsage row(const ProcessSample& sample, const std::string& id) {
    const auto found = std::find_if(sample.apps.begin(), sample.apps.end(),
                                    [&](const AppUsage& app) { return app.id == id; });
    return found == sample.apps.end() ? AppUsage{} : *found;
}

// A sampler over a fake table whose times are nanoseconds, with a clock the test moves.
class ProcessSamplerTest : public ::testing::Test {
protected:
    std::unique_ptr<ProcessSampler> makeSampler(std::unique_ptr<AppDirectory> directory = nullptr) {
        return std::make_unique<ProcessSampler>(
            std::make_unique<FakeProcessTable>(state_), [this] { return now_; },
            std::move(directory));
    }
    void add(std::int32_t pid, std::string path, const std::string& name,
             std::uint64_t memory = 0) {
        state_->listing.push_back(pid);
        state_->processes[pid] = {
            .usage = ProcessUsage{.physicalFootprint = memory, .startTime = 1, .shortName = name},
            .path = std::move(path),
            .name = name};
    }
    ProcessUsage& usage(std::int32_t pid) { return state_->processes.at(pid).usage; }

    // One pass, a second after the previous one.
    ProcessSample pass() {
        now_ += second;
        return sampler_->sample();
    }

    std::shared_ptr<FakeProcessTable::State> state_ = std::make_shared<FakeProcessTable::State>();
    std::uint64_t now_ = 0;
    std::unique_ptr<ProcessSampler> sampler_ = makeSampler();
};

TEST_F(ProcessSamplerTest, ConvertsTimebaseUnitsToNanoseconds) {
    state_->timebase = Timebase{.numer = 125, .denom = 3};  // 24 MHz ticks
    sampler_ = makeSampler();
    add(30, "/usr/bin/top", "top");
    pass();
    usage(30).userTime = 12'000'000;  // half a second of 24 MHz ticks
    const AppUsage busy = pass().apps[0];
    EXPECT_DOUBLE_EQ(busy.cpu, 50.0);
    EXPECT_DOUBLE_EQ(busy.cpuSeconds, 0.5);
    usage(30).userTime = 0;  // a counter that went backwards reads as idle
    EXPECT_EQ(pass().apps[0].cpuSeconds, 0);
    usage(30).userTime = UINT64_MAX;  // far beyond 64 bits in nanoseconds: saturates, no wrap
    EXPECT_GT(pass().apps[0].cpu, 1e9);
}

// A resolved identity costs no path work until the process calls exec (the same identifier and
// start, a new short name), its identifier is reused (a new start) or a pass could not read it; the
// last two also start its processor baseline afresh.
TEST_F(ProcessSamplerTest, ResolvesAProcessAgainOnlyWhenItChangedOrWasNotRead) {
    add(50, "/usr/bin/bash", "bash");
    add(51, "/usr/bin/sleep", "sleep");
    pass();
    pass();
    EXPECT_EQ(state_->pathReads, 2);

    state_->processes[50].path = "/usr/bin/python3";
    state_->processes[50].name = usage(50).shortName = "python3";
    state_->processes[51] = {
        .usage = ProcessUsage{.userTime = 3 * second, .startTime = 99, .shortName = "new"},
        .name = "new"};
    const ProcessSample sample = pass();
    EXPECT_EQ(state_->pathReads, 4);
    EXPECT_EQ(row(sample, "process:bash").processCount, 0);
    EXPECT_EQ(row(sample, "process:python3").processCount, 1);
    EXPECT_EQ(row(sample, "process:new").processCount, 1);
    EXPECT_EQ(row(sample, "process:new").cpu, 0);

    state_->processes[50].readable = false;
    pass();
    state_->processes[50].readable = true;
    usage(50).userTime = second;
    EXPECT_EQ(row(pass(), "process:python3").cpu, 0);
    EXPECT_EQ(state_->pathReads, 5);
}

// The first pass sets the baselines: no processor share yet, but memory and counts already. Rows
// come in listing order, so rows with equal figures keep their places from pass to pass.
TEST_F(ProcessSamplerTest, GroupsProcessesByBundleOrNameFollowingTheFallbackRules) {
    add(10, "/usr/bin/bash", "bash", 1000);
    add(11, "/usr/bin/bash", "bash", 500);
    usage(10).userTime = 5 * second;
    add(20, "/opt/Big.app/Contents/MacOS/Big", "Big");
    add(21, "/opt/Big.app/Contents/Frameworks/Big Helper.app/Contents/MacOS/Big Helper",
        "Big Helper");
    add(70, "/Users/someone/tools.app/bin/tool", "tool");  // textual: any ".app/" folder
    add(71, "/Applications/Notes.app/Contents/MacOS/Notes", "Notes");
    state_->displayNames["/Applications/Notes.app"] = "Notes.app";
    add(72, "/opt/Odd.app/run", "run");
    state_->displayNames["/opt/Odd.app"] = "Odd Tools";
    add(73, "/usr/lib/firefox/firefox", "");    // no short name: the file name
    add(74, "", "");                            // neither: the identifier
    add(75, "/opt/tools.appendix/bin/x", "x");  // ".app" without the slash is no bundle
    const ProcessSample sample = pass();
    ASSERT_EQ(sample.apps.size(), 8U);
    EXPECT_EQ(sample.apps[0].id, "process:bash");
    EXPECT_EQ(sample.apps[7].id, "process:x");
    EXPECT_EQ(sample.apps[0].cpu, 0);
    EXPECT_EQ(sample.apps[0].memory, 1500U);
    EXPECT_EQ(sample.apps[0].processCount, 2);
    EXPECT_EQ(row(sample, "/Users/someone/tools.app").name, "tools");
    EXPECT_EQ(row(sample, "/Applications/Notes.app").name, "Notes");
    EXPECT_EQ(row(sample, "/opt/Odd.app").name, "Odd Tools");
    EXPECT_EQ(row(sample, "process:firefox").name, "firefox");
    EXPECT_EQ(row(sample, "process:Process 74").name, "Process 74");

    usage(20).userTime = second / 2;
    usage(20).systemTime = second / 2;
    usage(21).userTime = second;
    // The nested helper counts under the outermost bundle.
    const AppUsage big = row(pass(), "/opt/Big.app");
    EXPECT_EQ(big.processCount, 2);
    EXPECT_DOUBLE_EQ(big.cpu, 200.0);
}

// A desktop that names some processes' applications, and counts how often it is asked.
struct NamedApplications final : AppDirectory {
    std::optional<DesktopApplication> applicationOf(std::int32_t pid) override {
        ++asked;
        if (pid == 20 || pid == 21 || pid == 30) {
            return DesktopApplication{.id = "org.mozilla.firefox",
                                      .name = "Firefox",
                                      .iconName = "firefox",
                                      .iconPath = "/icons/firefox.svg"};
        }
        return std::nullopt;
    }
    int asked = 0;
};

TEST_F(ProcessSamplerTest, DesktopApplicationsGroupAfterBundlesAndAreAskedOnlyForNewProcesses) {
    auto owned = std::make_unique<NamedApplications>();
    const NamedApplications& directory = *owned;
    sampler_ = makeSampler(std::move(owned));
    add(20, "/usr/lib/firefox/firefox", "firefox", 1000);
    add(21, "/usr/lib/firefox/firefox", "Web Content", 500);
    // A bundle path wins over what the desktop says.
    add(30, "/Applications/Tool.app/Contents/MacOS/tool", "tool", 7);
    add(40, "/usr/bin/bash", "bash", 3);
    const ProcessSample first = pass();
    const AppUsage firefox = row(first, "app:org.mozilla.firefox");
    EXPECT_EQ(firefox.name, "Firefox");
    EXPECT_EQ(firefox.processCount, 2);
    EXPECT_EQ(firefox.iconPath, "/icons/firefox.svg");
    EXPECT_EQ(row(first, "/Applications/Tool.app").processCount, 1);
    EXPECT_EQ(row(first, "process:bash").processCount, 1);
    EXPECT_EQ(directory.asked, 3);

    pass();
    EXPECT_EQ(directory.asked, 3);
    add(22, "/usr/lib/firefox/firefox", "Web Content", 10);
    pass();
    EXPECT_EQ(directory.asked, 4);
}

// Spare slots in the listing take processes started after the count.
TEST_F(ProcessSamplerTest, ListsPastTheCountAndSkipsBadIdentifiersUnreadableAndRepeatedProcesses) {
    add(80, "/usr/bin/a", "a");
    add(81, "/usr/bin/b", "b");
    state_->processes[81].readable = false;  // gone between the listing and the query
    state_->listing.insert(state_->listing.end(), {0, -5, 80});
    state_->count = 1;
    pass();
    usage(80).userTime = second;
    const ProcessSample sample = pass();
    EXPECT_EQ(sample.processCount, 5);
    EXPECT_EQ(sample.readableProcessCount, 1);
    ASSERT_EQ(sample.apps.size(), 1U);
    EXPECT_EQ(sample.apps[0].processCount, 1);
    EXPECT_DOUBLE_EQ(sample.apps[0].cpu, 100.0);

    state_->processes[80].readable = false;
    EXPECT_TRUE(pass().apps.empty());
}

TEST_F(ProcessSamplerTest, AFailedListingKeepsTheBaselinesAndTheirInterval) {
    add(90, "/usr/bin/a", "a");
    pass();
    state_->listingFails = true;
    EXPECT_TRUE(pass().apps.empty());

    state_->listingFails = false;
    usage(90).userTime = 2 * second;  // busy for both seconds since the last listed pass
    const ProcessSample next = pass();
    EXPECT_DOUBLE_EQ(next.apps[0].cpu, 100.0);
    EXPECT_EQ(state_->pathReads, 1);
}

// An app's GPU share is the sum over the processes that have a figure, and only those: a row
// without any must read as unknown, not as idle, and one process at 0 % as idle.
TEST_F(ProcessSamplerTest, SumsTheGpuFiguresOfTheProcessesThatHaveThem) {
    using Gpu = std::optional<ProcessGpu>;
    const std::tuple<const char*, std::vector<Gpu>, std::optional<double>,
                     std::optional<std::uint64_t>>
        rows[] = {
            {"sum", {ProcessGpu{12.5, 100}, std::nullopt, ProcessGpu{30, 20}}, 42.5, 120},
            {"capAtOneHundred", {ProcessGpu{70, 0}, ProcessGpu{45, 0}}, 100, 0},
            {"noneHasData", {std::nullopt, std::nullopt}, std::nullopt, std::nullopt},
            {"idleIsZero", {ProcessGpu{0, 4096}}, 0, 4096},
            {"memoryWithoutAPercent", {ProcessGpu{std::nullopt, 64}}, std::nullopt, 64},
        };
    for (const auto& [name, gpus, percent, memory] : rows) {
        state_ = std::make_shared<FakeProcessTable::State>();
        sampler_ = makeSampler();
        std::int32_t pid = 100;
        for (const Gpu& gpu : gpus) {
            add(pid, "/usr/bin/game", "game");
            usage(pid++).gpu = gpu;
        }
        const AppUsage game = row(pass(), "process:game");
        EXPECT_EQ(game.processCount, static_cast<int>(gpus.size())) << name;
        EXPECT_EQ(game.gpu, percent) << name;
        EXPECT_EQ(game.gpuMemory, memory) << name;
    }
}

TEST(ProcessSamplerOnLinux, GroupsAFixtureMachineIntoApplications) {
    ProcessSampler sampler(
        std::make_unique<LinuxProcessTable>(testing::fixturePath("processes/desktop")));
    const ProcessSample sample = sampler.sample();
    EXPECT_EQ(sample.processCount, 13);
    EXPECT_EQ(sample.readableProcessCount, 12);
    EXPECT_EQ(row(sample, "/opt/Big.app").processCount, 2);
    EXPECT_EQ(row(sample, "/opt/Big.app").name, "Big");
    EXPECT_EQ(row(sample, "/opt/Big.app").memory, (102400U + 51200U) * 1024);
    EXPECT_EQ(row(sample, "process:bash").processCount, 2);
    EXPECT_EQ(row(sample, "process:systemd").processCount, 1);  // no readable path: its short name
    // Both read "xdg-desktop-por" in the kernel's 15 bytes, and still make two rows.
    EXPECT_EQ(row(sample, "process:xdg-desktop-portal-gnome").processCount, 1);
    EXPECT_EQ(sample.apps.size(), 10U);
}

TEST(ProcessSamplerOnLinux, AScopesRowSumsItsProcessesRatherThanTakingTheCgroupsFigures) {
    const std::filesystem::path root = testing::fixturePath("processes/scope");
    ProcessSampler sampler(std::make_unique<LinuxProcessTable>(root),
                           std::make_unique<LinuxAppDirectory>(LinuxAppDirectory::Settings{
                               .root = root, .iconThemeName = "hicolor"}));
    const ProcessSample sample = sampler.sample();
    ASSERT_EQ(sample.apps.size(), 1U);
    const AppUsage& firefox = sample.apps[0];
    EXPECT_EQ(firefox.id, "app:firefox");
    EXPECT_EQ(firefox.processCount, 2);
    // The footprints, (14848 - 4608) and (2304 - 256) pages of 4 KiB: the scope's memory.stat
    // "anon" line, while its memory.current (151994368) also holds the scope's page cache and
    // kernel memory, which no process's footprint counts.
    EXPECT_EQ(firefox.memory, (10240U + 2048U) * 4096U);
}

}  // namespace
}  // namespace vantric
