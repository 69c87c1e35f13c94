#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/system_sampler.hpp"
#include "platform/linux/linux_app_resolver.hpp"
#include "platform/linux/linux_host.hpp"
#include "platform/linux/linux_machine_facts.hpp"
#include "platform/linux/linux_process_table.hpp"
#include "support/file_faults.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::FileFault;
using testing::TemporaryTree;

// A fixture tree copied into tree, its links (each process's exe) kept as links.
void copyTree(const TemporaryTree& tree, const char* fixture) {
    std::filesystem::copy(
        testing::fixturePath(fixture), tree.root(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
}

// Whether the pass lists pid.
bool lists(LinuxProcessTable& table, std::int32_t pid) {
    std::vector<std::int32_t> identifiers(static_cast<std::size_t>(table.countProcesses()) + 64);
    identifiers.resize(static_cast<std::size_t>(std::max(table.listProcesses(identifiers), 0)));
    return std::find(identifiers.begin(), identifiers.end(), pid) != identifiers.end();
}

// Two online processors, the second numbered 2; cpu0 is busy in user time, cpu2 in system time.
std::string procStat(std::uint64_t busy, std::uint64_t idle) {
    const std::string b = std::to_string(busy);
    const std::string i = std::to_string(idle);
    return "cpu  0 0 0 0 0 0 0 0 0 0\ncpu0 " + b + " 0 0 " + i + " 0 0 0 0 0 0\ncpu2 0 0 " + b +
           " " + i + " 0 0 0 0 0 0\nintr 0\nbtime 1796000000\n";
}

// Every test breaks files of its own tree in one way, reads through the real readers and
// repairs them. Each read runs as nobody, so that a file of mode 000 is refused also to root.
class ReaderFaults : public ::testing::TestWithParam<FileFault> {
protected:
    void SetUp() override {
        if (GetParam() == FileFault::denied && !testing::modesDenyHere(tree_.root())) {
            GTEST_SKIP() << "the filesystem uid cannot be changed here, so a file of mode 000 "
                            "is still read";
        }
    }

    void breakFile(const std::string& relative, std::string_view cutInside = {}) {
        originals_[relative] = testing::readFile(tree_ / relative);
        testing::breakFile(GetParam(), tree_ / relative, cutInside);
    }
    void repair(const std::string& relative) {
        testing::repairFile(tree_ / relative, originals_.at(relative));
    }

    template <typename Read>
    static auto unprivileged(Read read) {
        const testing::UnprivilegedFiles user;
        return read();
    }

    SystemSampler sampler() const {
        return SystemSampler(std::make_unique<LinuxHost>(
            tree_.root(),
            LinuxHost::Options{
                .nvmlLibrary = "", .deviceRescan = std::chrono::seconds(0), .pageSize = 4096}));
    }

    TemporaryTree tree_;
    std::map<std::string, std::string> originals_;
};

TEST_P(ReaderFaults, ProcessorsReadNothingThenResumeFromTheBaselineBeforeTheFault) {
    testing::writeFile(tree_ / "proc/stat", procStat(100, 100));
    SystemSampler cpu = sampler();
    LinuxMachineFacts facts(tree_.root(), {.nvmlLibrary = ""});
    unprivileged([&] { return cpu.sampleCPU(); });

    breakFile("proc/stat", "cpu2 ");
    EXPECT_EQ(unprivileged([&] { return cpu.sampleCPU(); }), CPUSnapshot{});
    EXPECT_EQ(unprivileged([&] { return facts.bootTime(); }), std::nullopt);

    testing::repairFile(tree_ / "proc/stat", procStat(200, 200));
    EXPECT_EQ(unprivileged([&] { return cpu.sampleCPU(); }),
              (CPUSnapshot{.total = 0.5, .user = 0.25, .system = 0.25, .perCore = {0.5, 0.5}}));
    EXPECT_EQ(unprivileged([&] { return facts.bootTime(); })->seconds, 1796000000);
}

// The laptop's memory with the per-CPU lists of page-churn-high, which hold 56907 free pages
// (222 MiB).
TEST_P(ReaderFaults, MemoryKeepsOnlyWhatTheKernelWroteWholeThenReadsAgain) {
    copyTree(tree_, "hosts/laptop-zram");
    testing::writeFile(tree_ / "proc/zoneinfo",
                       testing::readFixture("hosts/page-churn-high/proc/zoneinfo"));
    SystemSampler host = sampler();
    LinuxMachineFacts facts(tree_.root(), {.nvmlLibrary = ""});
    const auto memory = [&] { return unprivileged([&] { return host.sampleMemory(); }); };
    const auto physical = [&] { return unprivileged([&] { return facts.physicalMemory(); }); };
    const MemorySnapshot good = memory();
    ASSERT_EQ(good.pressure, MemoryPressure::warning);  // PSI: some avg10=12.40

    // Without the per-CPU lists their free pages count as allocated (wired); without PSI the
    // share of memory available stands in for it, and 42 % is normal.
    breakFile("proc/zoneinfo", "count:");
    breakFile("proc/pressure/memory", "full avg10=");
    MemorySnapshot partial = good;
    partial.wired += std::uint64_t{56907} * 4096;
    partial.pressure = MemoryPressure::normal;
    EXPECT_EQ(memory(), partial);

    // Of a broken meminfo at most MemTotal, when its line is whole, may be left.
    breakFile("proc/meminfo", "Cached:");
    MemorySnapshot broken = memory();
    const std::uint64_t total = std::exchange(broken.total, 0);
    EXPECT_EQ(broken, MemorySnapshot{});
    EXPECT_TRUE(total == 0 || total == good.total) << total;
    EXPECT_TRUE(physical() == 0 || physical() == good.total) << physical();

    for (const char* file : {"proc/zoneinfo", "proc/pressure/memory", "proc/meminfo"}) {
        repair(file);
    }
    EXPECT_EQ(memory(), good);
    EXPECT_EQ(physical(), good.total);

    // Two online blocks of 128 MiB, and one offline, make the installed memory. A broken size, or
    // a block whose state cannot be read (which would understate it), gives MemTotal again.
    const std::filesystem::path blocks = tree_ / "sys/devices/system/memory";
    testing::writeFile(blocks / "block_size_bytes", "8000000\n");
    for (const auto& [block, state] :
         {std::pair{"memory0", "online\n"}, {"memory1", "online\n"}, {"memory9", "offline\n"}}) {
        testing::writeFile(blocks / block / "state", state);
    }
    EXPECT_EQ(physical(), 2 * 128 * 1024 * 1024U);
    breakFile("sys/devices/system/memory/block_size_bytes");
    EXPECT_EQ(physical(), good.total);
    repair("sys/devices/system/memory/block_size_bytes");
    testing::writeFile(blocks / "memory7/state", "online?\n");
    EXPECT_EQ(physical(), good.total);
}

// bash (1204) holds 2048 kB of its own in RAM (statm) and 1024 kB in swap (status).
// x-terminal-emulator (2005), a link to xfce4-terminal, takes its whole name from argv[0]; without
// a readable one, the 15 bytes the kernel kept. A file cut after argv[0], or with its numbers
// changed, still holds it whole.
TEST_P(ReaderFaults, AProcessWithABrokenFileIsSkippedOrReadWithoutItThenReadWhole) {
    using Source = LinuxProcessTable::FootprintSource;
    // Per file, the footprints in kB of the default source and of status while it is broken;
    // nothing where the process is skipped. The default source takes only the swapped pages from
    // status: without them, statm's share.
    const std::tuple<const char*, const char*, std::optional<std::uint64_t>,
                     std::optional<std::uint64_t>>
        rows[] = {{"stat", ") S ", std::nullopt, std::nullopt},
                  {"statm", "", std::nullopt, 3072},
                  {"status", "RssAnon:", 2048, std::nullopt}};
    copyTree(tree_, "processes/desktop");
    for (const auto& [name, cutInside, mixedFootprint, statusFootprint] : rows) {
        SCOPED_TRACE(name);
        LinuxProcessTable mixed(tree_.root());
        LinuxProcessTable status(tree_.root(), {.footprint = Source::status});
        const auto footprint = [](LinuxProcessTable& table) {
            return unprivileged([&]() -> std::optional<std::uint64_t> {
                EXPECT_TRUE(lists(table, 1204));
                EXPECT_TRUE(table.usage(1310));  // the pass goes on past it
                const auto usage = table.usage(1204);
                return usage ? std::optional(usage->physicalFootprint / 1024) : std::nullopt;
            });
        };
        const std::string file = std::string("proc/1204/") + name;
        breakFile(file, cutInside);
        EXPECT_EQ(footprint(mixed), mixedFootprint);
        EXPECT_EQ(footprint(status), statusFootprint);

        repair(file);
        EXPECT_EQ(footprint(mixed), 3072U);
        EXPECT_EQ(footprint(status), 3072U);
    }

    LinuxProcessTable table(tree_.root());
    const auto name = [&] {
        return unprivileged([&] { return lists(table, 2005) ? table.shortName(2005) : ""; });
    };
    ASSERT_EQ(name(), "x-terminal-emulator");
    breakFile("proc/2005/cmdline");
    const bool argumentWhole =
        GetParam() == FileFault::truncated || GetParam() == FileFault::hugeNumbers;
    EXPECT_EQ(name(), argumentWhole ? "x-terminal-emulator" : "x-terminal-emul");
    repair("proc/2005/cmdline");
    EXPECT_EQ(name(), "x-terminal-emulator");
}

TEST_P(ReaderFaults, ABrokenCgroupClaimsNoApplicationUntilItReadsAgain) {
    copyTree(tree_, "hosts/apps");
    LinuxAppResolver resolver(tree_.root());
    const auto appOf = [&] {
        resolver.beginBatch();
        const auto application = unprivileged([&] { return resolver.resolve(100); });
        return application ? application->appId : std::string();
    };
    ASSERT_EQ(appOf(), "org.gnome.Nautilus");
    breakFile("proc/100/cgroup", "Nautilus-");
    EXPECT_EQ(appOf(), "");
    repair("proc/100/cgroup");
    EXPECT_EQ(appOf(), "org.gnome.Nautilus");
}

INSTANTIATE_TEST_SUITE_P(Faults, ReaderFaults,
                         ::testing::Values(FileFault::vanished, FileFault::denied,
                                           FileFault::truncated, FileFault::binary,
                                           FileFault::hugeNumbers),
                         [](const auto& info) { return testing::faultName(info.param); });

TEST(ProcessTableFaults, AProcessThatEndsAfterItIsListedIsSkippedThenForgottenUntilItReturns) {
    TemporaryTree tree;
    copyTree(tree, "processes/desktop");
    LinuxProcessTable table(tree.root());
    const int count = table.countProcesses();
    // Gone after its stat line was read, before its footprint and path are.
    std::filesystem::rename(tree / "proc/1204", tree / "ended");
    std::vector<std::int32_t> identifiers(static_cast<std::size_t>(count));
    identifiers.resize(static_cast<std::size_t>(table.listProcesses(identifiers)));
    EXPECT_EQ(std::count(identifiers.begin(), identifiers.end(), 1204), 1);
    EXPECT_FALSE(table.usage(1204));
    EXPECT_EQ(table.executablePath(1204), "");
    EXPECT_TRUE(table.usage(1310));

    EXPECT_FALSE(lists(table, 1204));
    std::filesystem::rename(tree / "ended", tree / "proc/1204");
    EXPECT_TRUE(lists(table, 1204));
    EXPECT_EQ(table.usage(1204)->physicalFootprint, 3072U * 1024);
}

}  // namespace
}  // namespace vantric
