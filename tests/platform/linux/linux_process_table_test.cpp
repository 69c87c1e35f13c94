#include "platform/linux/linux_process_table.hpp"

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::TemporaryTree;

std::vector<std::int32_t> listing(LinuxProcessTable& table) {
    std::vector<std::int32_t> identifiers(static_cast<std::size_t>(table.countProcesses()) + 64);
    identifiers.resize(static_cast<std::size_t>(std::max(table.listProcesses(identifiers), 0)));
    std::sort(identifiers.begin(), identifiers.end());
    return identifiers;
}

const std::filesystem::path desktop = testing::fixturePath("processes/desktop");

// A copy the test may change; the exe links are copied as links.
void copyDesktop(const TemporaryTree& tree) {
    std::filesystem::copy(
        desktop, tree.root(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
}

// The file's first `from` becomes `to`.
void edit(const std::filesystem::path& file, std::string_view from, std::string_view to) {
    std::string text = testing::readFile(file);
    testing::writeFile(file, text.replace(text.find(from), from.size(), to));
}

TEST(LinuxProcessTable, ListsProcessesAndReadsTheirTimesNamesAndPaths) {
    LinuxProcessTable table(desktop);
    // Not 2 and 95 (kernel threads), 0, +7, sys or uptime; 3004 is listed though unreadable.
    EXPECT_EQ(listing(table), (std::vector<std::int32_t>{1, 1204, 1310, 2001, 2002, 2003, 2004,
                                                         2005, 2100, 3001, 3002, 3003, 3004}));
    const ProcessUsage bash = table.usage(1204).value();
    EXPECT_EQ(std::tuple(bash.userTime, bash.systemTime, bash.startTime, bash.shortName),
              std::tuple(300UL, 100UL, 5000UL, std::string("bash")));
    // Names the kernel cut at 15 bytes, completed from the executable (or from argv[0], as the
    // reader fault tests show); a name of the program's own is kept.
    EXPECT_EQ(table.shortName(1310), "Web (Content) x");
    EXPECT_EQ(table.shortName(2003), "xdg-desktop-portal-gnome");
    EXPECT_EQ(table.usage(2003)->shortName, "xdg-desktop-por");
    EXPECT_EQ(table.executablePath(1204), "/usr/bin/bash");
    EXPECT_EQ(table.executablePath(3002), "/usr/lib/firefox/firefox");  // replaced on disk
    EXPECT_EQ(table.executablePath(1), "");                             // another user's

    const Timebase timebase = table.timebase();
    ASSERT_NE(timebase.denom, 0U);
    EXPECT_EQ(std::uint64_t{timebase.numer} * static_cast<std::uint64_t>(sysconf(_SC_CLK_TCK)),
              1'000'000'000ULL * timebase.denom);
}

TEST(LinuxProcessTable, FootprintIsPrivateMemoryWithSwapExceptFromStatmAlone) {
    using Source = LinuxProcessTable::FootprintSource;
    LinuxProcessTable mixed(desktop);
    LinuxProcessTable status(desktop, {.footprint = Source::status});
    LinuxProcessTable statm(desktop, {.footprint = Source::statm});
    for (LinuxProcessTable* table : {&mixed, &status, &statm}) {
        listing(*table);
        // A shell's shared libraries and a browser's shared memory are not their own.
        EXPECT_EQ(table->usage(1310)->physicalFootprint, 40960U * 1024);
        // A zombie is readable and holds nothing.
        EXPECT_EQ(table->usage(2100)->physicalFootprint, 0U);
    }
    // bash: RssAnon 2048 kB and 1024 kB swapped out, which the reader fault tests read through
    // the other two sources.
    EXPECT_EQ(statm.usage(1204)->physicalFootprint, 2048U * 1024);
}

// No page can be in swap while no area holds one: status is left unread until one does, and then
// read again once in ten passes.
TEST(LinuxProcessTable, CountsSwapOnlyWhileSomeIsInUseAndRereadsItEveryTenPasses) {
    TemporaryTree tree;
    copyDesktop(tree);
    const std::string header = "Filename\tType\tSize\tUsed\tPriority\n";
    testing::writeFile(tree / "proc/swaps", header + "/dev/zram0 partition 8388604 0 100\n");
    LinuxProcessTable table(tree.root());
    listing(table);
    // bash's status says 1024 kB swapped out, which no swap area agrees with.
    EXPECT_EQ(table.usage(1204)->physicalFootprint, 2048U * 1024);

    testing::writeFile(tree / "proc/swaps", header + "/dev/zram0 partition 8388604 1024 100\n");
    std::vector<std::uint64_t> footprints;
    for (int pass = 0; pass < 10; ++pass) {
        listing(table);
        footprints.push_back(table.usage(1204)->physicalFootprint / 1024);
    }
    // Read at one of the passes and kept from then on.
    EXPECT_EQ(std::count(footprints.begin(), footprints.end(), 2048U),
              std::find(footprints.begin(), footprints.end(), 3072U) - footprints.begin());
    EXPECT_EQ(footprints.back(), 3072U);
}

TEST(LinuxProcessTable, SeesProcessesGoAndIdentifiersComeBackAsNewProcesses) {
    TemporaryTree tree;
    copyDesktop(tree);
    LinuxProcessTable table(tree.root());
    listing(table);
    EXPECT_EQ(table.usage(1204)->physicalFootprint, 3072U * 1024);

    // 1310 ends, and 1204 now names a process started later, with nothing in swap.
    std::filesystem::remove_all(tree / "proc/1310");
    edit(tree / "proc/1204/stat", " 5000 ", " 9000 ");
    edit(tree / "proc/1204/status", "VmSwap:\t  1024 kB", "VmSwap:\t     0 kB");
    const auto second = listing(table);
    EXPECT_FALSE(std::binary_search(second.begin(), second.end(), 1310));
    EXPECT_EQ(table.usage(1204)->startTime, 9000U);
    EXPECT_EQ(table.usage(1204)->physicalFootprint, 2048U * 1024);  // not the old one's swap
}

// Resident memory grows only through page faults, so statm is read again when the stat line says
// the process ran or faulted; a process that did neither keeps its amount until its turn, within
// ten passes, which bounds how long a shrink goes unseen.
TEST(LinuxProcessTable, RereadsResidentMemoryWhenTheProcessRanOrFaultedElseWithinTenPasses) {
    TemporaryTree tree;
    copyDesktop(tree);
    LinuxProcessTable table(tree.root(), {.footprint = LinuxProcessTable::FootprintSource::statm});
    const auto passKilobytes = [&] {
        listing(table);
        return table.usage(1204)->physicalFootprint / 1024;
    };
    const auto setResidentPages = [&](int pages) {
        testing::writeFile(tree / "proc/1204/statm",
                           "2280 " + std::to_string(pages) + " 768 5 0 512 0\n");
    };
    EXPECT_EQ(passKilobytes(), 2048U);

    // Reclaimed while asleep: kept at first (bash's turn comes at the fifth pass after), then seen.
    setResidentPages(1024);
    std::vector<std::uint64_t> asleep;
    asleep.reserve(10);
    for (int pass = 0; pass < 10; ++pass) {
        asleep.push_back(passKilobytes());
    }
    EXPECT_EQ(asleep.front(), 2048U);
    EXPECT_EQ(std::count(asleep.begin(), asleep.end(), 2048U),
              std::find(asleep.begin(), asleep.end(), 1024U) - asleep.begin());
    EXPECT_EQ(asleep.back(), 1024U);

    // Each field that moves is read at once: minor and major faults, user and system time.
    int pages = 1024;
    for (const auto& [from, to] : std::initializer_list<std::pair<const char*, const char*>>{
             {" 135 0 0 0 300 100 ", " 136 0 0 0 300 100 "},
             {" 136 0 0 0 300 100 ", " 136 0 1 0 300 100 "},
             {" 136 0 1 0 300 100 ", " 136 0 1 0 301 100 "},
             {" 136 0 1 0 301 100 ", " 136 0 1 0 301 101 "}}) {
        pages += 256;
        setResidentPages(pages);
        edit(tree / "proc/1204/stat", from, to);
        EXPECT_EQ(passKilobytes(), static_cast<std::uint64_t>(pages - 768) * 4) << to;
    }
}

// The real /proc: descriptors stay open between passes and go with their process.
TEST(LinuxProcessTable, OnThisMachineKeepsFilesOpenAndDropsAProcessThatExits) {
    LinuxProcessTable table;
    pid_t child = 0;
    char* arguments[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
    ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);

    auto first = listing(table);
    EXPECT_TRUE(std::binary_search(first.begin(), first.end(), child));
    ASSERT_TRUE(table.usage(child));
    EXPECT_EQ(table.executablePath(getpid()), std::filesystem::read_symlink("/proc/self/exe"));
    const std::size_t openWithChild = table.keptOpen();
    EXPECT_GE(openWithChild, first.size());

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    auto second = listing(table);
    EXPECT_FALSE(std::binary_search(second.begin(), second.end(), child));
    EXPECT_LT(table.keptOpen(), openWithChild);

    // Listed at the first pass after it starts, however quiet the passes before.
    listing(table);
    ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, arguments, environ), 0);
    auto third = listing(table);
    EXPECT_TRUE(std::binary_search(third.begin(), third.end(), child));
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
}

// A sleeping process's stat line is kept while its processor clock stands still; whatever it does
// once it wakes (runs, calls exec) shows at the next pass.
TEST(LinuxProcessTable, OnThisMachineSeesAProcessThatWakesAfterSleepingThroughPasses) {
    int wake[2] = {-1, -1};
    ASSERT_EQ(pipe2(wake, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions{};
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, wake[0], STDIN_FILENO);
    // About a tenth of a second of processor time in the shell, then another program.
    char* arguments[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                         const_cast<char*>("read line; i=0; while [ $i -lt 200000 ]; do "
                                           "i=$((i+1)); done; exec sleep 30"),
                         nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawnp(&child, "sh", &actions, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(wake[0]);

    LinuxProcessTable table;
    const auto timeAndName = [&] {
        listing(table);
        const auto usage = table.usage(child);
        return usage ? std::pair(usage->userTime + usage->systemTime, usage->shortName)
                     : std::pair(std::uint64_t{0}, std::string{});
    };
    auto asleep = timeAndName();
    for (int tries = 0; tries < 100; ++tries) {  // until the shell waits for its line
        usleep(20'000);
        if (const auto again = timeAndName(); std::exchange(asleep, again) == again) {
            break;
        }
    }
    EXPECT_EQ(asleep.second, "sh");
    for (int pass = 0; pass < 12; ++pass) {
        EXPECT_EQ(timeAndName(), asleep);
    }

    ASSERT_EQ(write(wake[1], "go\n", 3), 3);
    std::pair<std::uint64_t, std::string> awake;
    for (int tries = 0; tries < 100 && awake.second != "sleep"; ++tries) {
        usleep(50'000);
        awake = timeAndName();
    }
    EXPECT_EQ(awake.second, "sleep");
    EXPECT_GT(awake.first, asleep.first);

    close(wake[1]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace
}  // namespace vantric
