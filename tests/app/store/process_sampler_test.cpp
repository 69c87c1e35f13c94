#include "app/store/process_sampler.hpp"

#include <algorithm>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/linux_app_directory.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "support/fake_process_table.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::FakeProcessTable;

constexpr std::uint64_t second = 1'000'000'000;

// A sampler over a fake table whose times are nanoseconds, with a clock the test moves.
class ProcessSamplerTest : public ::testing::Test {
protected:
    ProcessSamplerTest() {
        state_->timebase = Timebase{.numer = 1, .denom = 1};
        sampler_ = std::make_unique<ProcessSampler>(std::make_unique<FakeProcessTable>(state_),
                                                    [this] { return now_; });
    }

    void add(std::int32_t pid, std::string path, const std::string& name, std::uint64_t memory = 0,
             std::uint64_t start = 1) {
        state_->listing.push_back(pid);
        state_->processes[pid] = FakeProcessTable::Process{
            .usage = {.physicalFootprint = memory, .startTime = start, .shortName = name},
            .path = std::move(path),
            .name = name};
    }
    ProcessUsage& usage(std::int32_t pid) { return state_->processes.at(pid).usage; }

    // One pass, a second after the previous one.
    ProcessSample pass() {
        now_ += second;
        return sampler_->sample();
    }

    static const AppUsage* row(const ProcessSample& sample, const std::string& id) {
        const auto found = std::find_if(sample.apps.begin(), sample.apps.end(),
                                        [&](const AppUsage& app) { return app.id == id; });
        return found == sample.apps.end() ? nullptr : &*found;
    }

    std::shared_ptr<FakeProcessTable::State> state_ = std::make_shared<FakeProcessTable::State>();
    std::uint64_t now_ = 0;
    std::unique_ptr<ProcessSampler> sampler_;
};

// The first pass sets the baselines: no processor share yet, but memory and counts already.
TEST_F(ProcessSamplerTest, TwoProcessesBusyOnACoreEachReadAboutTwoHundred) {
    add(10, "/usr/bin/bash", "bash", 1000);
    add(11, "/usr/bin/bash", "bash", 500);
    usage(10).userTime = 5 * second;
    const ProcessSample first = pass();
    EXPECT_EQ(row(first, "process:bash")->cpu, 0);
    EXPECT_EQ(row(first, "process:bash")->memory, 1500U);
    EXPECT_EQ(row(first, "process:bash")->processCount, 2);

    add(20, "/opt/Big.app/Contents/MacOS/Big", "Big");
    add(21, "/opt/Big.app/Contents/Frameworks/Big Helper.app/Contents/MacOS/Big Helper",
        "Big Helper");
    pass();
    usage(20).userTime = second / 2;
    usage(20).systemTime = second / 2;
    usage(21).userTime = second;
    // The nested helper counts under the outermost bundle.
    const AppUsage* big = row(pass(), "/opt/Big.app");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->processCount, 2);
    EXPECT_DOUBLE_EQ(big->cpu, 200.0);
}

TEST_F(ProcessSamplerTest, ConvertsTimebaseUnitsToNanoseconds) {
    state_->timebase = Timebase{.numer = 125, .denom = 3};  // 24 MHz ticks
    sampler_ = std::make_unique<ProcessSampler>(std::make_unique<FakeProcessTable>(state_),
                                                [this] { return now_; });
    add(30, "/usr/bin/top", "top");
    pass();
    usage(30).userTime = 12'000'000;  // half a second of 24 MHz ticks
    EXPECT_DOUBLE_EQ(pass().apps[0].cpu, 50.0);
    usage(30).userTime = UINT64_MAX;  // far beyond 64 bits in nanoseconds: saturates, no wrap
    EXPECT_GT(pass().apps[0].cpu, 1e9);
}

TEST_F(ProcessSamplerTest, ReusedIdentifierStartsAfreshWithItsOwnIdentity) {
    add(40, "/usr/bin/old", "old");
    pass();
    usage(40).userTime = second;
    state_->processes[40] = FakeProcessTable::Process{
        .usage = {.userTime = 3 * second, .startTime = 99, .shortName = "new"},
        .path = "/usr/bin/new",
        .name = "new"};
    const int pathReads = state_->pathReads;
    const ProcessSample sample = pass();
    ASSERT_EQ(sample.apps.size(), 1U);
    EXPECT_EQ(sample.apps[0].id, "process:new");
    EXPECT_EQ(sample.apps[0].cpu, 0);
    EXPECT_EQ(state_->pathReads, pathReads + 1);
}

TEST_F(ProcessSamplerTest, CachedIdentitiesCostNoPathWorkUntilTheProcessCallsExec) {
    add(50, "/usr/bin/bash", "bash");
    add(51, "/usr/bin/sleep", "sleep");
    pass();
    EXPECT_EQ(state_->pathReads, 2);
    pass();
    pass();
    EXPECT_EQ(state_->pathReads, 2);

    // exec keeps the identifier and start time; the new short name gives it away.
    state_->processes[50].path = "/usr/bin/python3";
    state_->processes[50].name = "python3";
    usage(50).shortName = "python3";
    const ProcessSample sample = pass();
    EXPECT_EQ(state_->pathReads, 3);
    EXPECT_NE(row(sample, "process:python3"), nullptr);
    EXPECT_EQ(row(sample, "process:bash"), nullptr);
}

TEST_F(ProcessSamplerTest, AProcessThatWasNotReadIsResolvedAgainWhenItComesBack) {
    add(60, "/usr/bin/bash", "bash");
    pass();
    state_->processes[60].readable = false;
    pass();
    state_->processes[60].readable = true;
    usage(60).userTime = second;
    const ProcessSample back = pass();
    EXPECT_EQ(state_->pathReads, 2);  // the cache entry went with the unreadable pass
    EXPECT_EQ(back.apps[0].cpu, 0);   // and so did the baseline
}

TEST_F(ProcessSamplerTest, NamesFollowTheBundleAndFallbackRules) {
    add(70, "/Users/someone/tools.app/bin/tool", "tool");  // textual: any ".app/" folder
    add(71, "/Applications/Notes.app/Contents/MacOS/Notes", "Notes");
    state_->displayNames["/Applications/Notes.app"] = "Notes.app";
    add(72, "/opt/Odd.app/run", "run");
    state_->displayNames["/opt/Odd.app"] = "Odd Tools";
    add(73, "/usr/lib/firefox/firefox", "");    // no short name: the file name
    add(74, "", "");                            // neither: the identifier
    add(75, "/opt/tools.appendix/bin/x", "x");  // ".app" without the slash is no bundle
    const ProcessSample sample = pass();
    ASSERT_EQ(sample.apps.size(), 6U);
    // In listing order, so rows with equal figures keep their places from pass to pass.
    EXPECT_EQ(sample.apps[0].id, "/Users/someone/tools.app");
    EXPECT_EQ(sample.apps[5].id, "process:x");
    EXPECT_EQ(row(sample, "/Users/someone/tools.app")->name, "tools");
    EXPECT_EQ(row(sample, "/Applications/Notes.app")->name, "Notes");
    EXPECT_EQ(row(sample, "/opt/Odd.app")->name, "Odd Tools");
    EXPECT_EQ(row(sample, "process:firefox")->bundlePath, std::nullopt);
    EXPECT_EQ(row(sample, "process:Process 74")->name, "Process 74");
    EXPECT_NE(row(sample, "process:x"), nullptr);
}

// A desktop that names some processes' applications, and counts how often it is asked.
class NamedApplications final : public AppDirectory {
public:
    explicit NamedApplications(std::shared_ptr<int> asked) : asked_(std::move(asked)) {}
    std::optional<DesktopApplication> applicationOf(std::int32_t pid) override {
        ++*asked_;
        if (pid == 20 || pid == 21 || pid == 30) {
            return DesktopApplication{.id = "org.mozilla.firefox",
                                      .name = "Firefox",
                                      .iconName = "firefox",
                                      .iconPath = "/icons/firefox.svg"};
        }
        return std::nullopt;
    }

private:
    std::shared_ptr<int> asked_;
};

TEST_F(ProcessSamplerTest, DesktopApplicationsGroupAfterBundlesAndAreAskedOnlyForNewProcesses) {
    auto asked = std::make_shared<int>(0);
    sampler_ = std::make_unique<ProcessSampler>(
        std::make_unique<FakeProcessTable>(state_), [this] { return now_; },
        std::make_unique<NamedApplications>(asked));
    add(20, "/usr/lib/firefox/firefox", "firefox", 1000);
    add(21, "/usr/lib/firefox/firefox", "Web Content", 500);
    // A bundle path wins over what the desktop says.
    add(30, "/Applications/Tool.app/Contents/MacOS/tool", "tool", 7);
    add(40, "/usr/bin/bash", "bash", 3);
    const ProcessSample first = pass();
    const AppUsage* firefox = row(first, "app:org.mozilla.firefox");
    ASSERT_NE(firefox, nullptr);
    EXPECT_EQ(firefox->name, "Firefox");
    EXPECT_EQ(firefox->processCount, 2);
    EXPECT_EQ(firefox->iconPath, "/icons/firefox.svg");
    EXPECT_NE(row(first, "/Applications/Tool.app"), nullptr);
    EXPECT_NE(row(first, "process:bash"), nullptr);
    EXPECT_EQ(*asked, 3);

    pass();
    EXPECT_EQ(*asked, 3);
    add(22, "/usr/lib/firefox/firefox", "Web Content", 10);
    pass();
    EXPECT_EQ(*asked, 4);
}

TEST_F(ProcessSamplerTest, SkipsBadIdentifiersUnreadableAndRepeatedProcesses) {
    add(80, "/usr/bin/a", "a");
    add(81, "/usr/bin/b", "b");
    state_->processes[81].readable = false;  // gone between the listing and the query
    state_->listing.insert(state_->listing.end(), {0, -5, 80});
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

TEST_F(ProcessSamplerTest, ListsIntoTheCountPlusSpareSlots) {
    for (std::int32_t pid = 100; pid < 110; ++pid) {
        add(pid, "/usr/bin/worker", "worker");
    }
    state_->count = 4;  // six started after the count
    const ProcessSample sample = pass();
    EXPECT_EQ(state_->lastBufferSize, 68U);
    EXPECT_EQ(sample.processCount, 10);
    EXPECT_EQ(sample.apps[0].processCount, 10);
}

TEST(ProcessSamplerOnLinux, GroupsAFixtureMachineIntoApplications) {
    ProcessSampler sampler(
        std::make_unique<LinuxProcessTable>(testing::fixturePath("processes/desktop")));
    const ProcessSample sample = sampler.sample();
    EXPECT_EQ(sample.processCount, 13);
    EXPECT_EQ(sample.readableProcessCount, 12);
    const auto row = [&](const std::string& id) {
        const auto found = std::find_if(sample.apps.begin(), sample.apps.end(),
                                        [&](const AppUsage& app) { return app.id == id; });
        return found == sample.apps.end() ? AppUsage{} : *found;
    };
    EXPECT_EQ(row("/opt/Big.app").processCount, 2);
    EXPECT_EQ(row("/opt/Big.app").name, "Big");
    EXPECT_EQ(row("/opt/Big.app").memory, (102400U + 51200U) * 1024);
    EXPECT_EQ(row("process:bash").processCount, 2);
    EXPECT_EQ(row("process:systemd").processCount, 1);  // no readable path: its short name
    EXPECT_EQ(row("process:Web (Content) x").processCount, 1);
    // Both read "xdg-desktop-por" in the kernel's 15 bytes.
    EXPECT_EQ(row("process:xdg-desktop-portal-gnome").processCount, 1);
    EXPECT_EQ(row("process:xdg-desktop-portal-gtk").name, "xdg-desktop-portal-gtk");
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
