#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/drm_client_scan.hpp"
#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/proc_file.hpp"
#include "platform/process_table.hpp"

#include <dirent.h>
#include <time.h>

namespace vantric {

// The process table of a Linux machine, from /proc under a root directory ("/" in production, a
// fixture tree in the tests).
//
// Listing: the numeric entries of /proc, less the kernel's own threads (PF_KTHREAD in the flags of
// their stat line), which run no program of a user's. Counting the processes takes the listing
// and reads every stat line; the fill that follows hands out that listing. Listing /proc costs
// the kernel a lookup per entry, a quarter of a pass once the sleeping processes cost one system
// call each, so it is skipped while no identifier has been handed out since the last listing
// (the last one /proc/loadavg names is unchanged): then the processes are those of the last
// pass, less those whose files now say they have gone.
//
// Usage: processor time is utime + stime of /proc/PID/stat in clock ticks, and the timebase turns
// clock ticks into nanoseconds (numer / denom = 10^9 / the tick rate); the start time is
// starttime, in ticks after boot.
//
// Footprint: the memory that is the process's own, in RAM or swapped out; shared libraries and
// mapped files, which the page cache holds once for every process that maps them, are not in it.
// The sources, all measured by the process benchmark:
//   statm                  (resident - shared) of /proc/PID/statm in pages: the anonymous pages
//                          in RAM. Cheap, but a process whose memory went to swap (or to zram,
//                          which is swap too) shrinks in the list while it still owns it.
//   status                 RssAnon + VmSwap of /proc/PID/status: the same pages plus the swapped
//                          ones. Exact, but the kernel writes about sixty lines of status for the
//                          two, and a pass costs 1.1 to 1.3 times opening and reading stat and
//                          statm of every process, against 0.55 to 0.65 times with statm.
//   statmAndStatusSwap     statm at every pass, and VmSwap from status when a process is first
//                          seen and then at every tenth pass (the processes take turns by
//                          identifier). The default: what a process has in swap changes slowly,
//                          so the sum is right to within what moved to or from swap in the last
//                          ten seconds, for 0.6 to 0.8 times the floor. While /proc/swaps shows
//                          no swap in use (a machine without swap, or one that has not needed
//                          it), no process can have a page there, and status is not read at all:
//                          the pass costs what statm alone does.
// statm is read again only for a process that ran or took a page fault since the last read (its
// stat line's times and fault counts moved), and otherwise at its turn in the same ten-pass round
// as its swap. Its pages only grow through faults, which the kernel counts exactly at each one,
// so a process that did neither grew nothing; what it lost without running (pages the kernel
// reclaimed or swapped out) shows within ten passes, together with its swap. On a desktop most
// processes sleep, and this skips most of their reads.
// Stat: read again only when it can have changed. A process's processor clock (the kernel's
// sum of its threads' run time, in nanoseconds, which clock_gettime gives for any process the
// table can list) is read before each stat read; while it stands still the process did not run,
// and a process that did not run changed nothing its stat line says (times, faults, name), so
// the last line's figures are kept without a read. On a desktop most processes sleep, and one
// system call for the clock costs about half of reading and parsing the line. A process whose
// clock moved is likely to run again at once, so its clock is not asked for the next few passes
// (its stat line is read, as it would be anyway); then it is watched again. A process that gives
// no clock (it has gone, or the kernel refuses) is read as before. A new process on the same
// identifier has a clock of its own, which differs to the nanosecond from the old one's.
// Path: the target of /proc/PID/exe, without the " (deleted)" the kernel appends once the file
// has been replaced (a package upgrade), so the process keeps its application. Another user's
// process has no readable link, and a kernel thread none at all: both give an empty path.
// GPU: with gpuClients, each pass also finds the DRM clients of the user's processes and reads
// their counters (DrmClientScan, which says what it costs and what it cannot see), and the usage
// of a process carries its figures from those and from NVML.
// Short name: comm, as the stat line of the same pass carries it, so it costs no read of its own.
// The kernel cuts comm at 15 bytes; a name of that length is completed from the executable's file
// name, else from argv[0] (/proc/PID/cmdline), when either continues it (see uncutName). The usage
// keeps comm itself, which is what tells a process that called exec.
// Bundle display name: the folder's own name.
//
// Cost: the descriptors of each process's stat and footprint files stay open between passes and
// are read with one pread at offset 0 each, which procfs answers with fresh text; this halves the
// system calls of a pass against opening the files each time. A read on the descriptor of a
// process that has gone fails, which drops the process; an identifier that comes back is a new
// process and gets new descriptors. The soft limit on open files is raised to the hard limit
// (at most 65536) when the table is made, and descriptors beyond a budget that leaves the rest of
// the program room are opened and closed at each read instead. Files not on procfs (fixtures) are
// always opened afresh, so a test sees a file as it is now.
//
// Not thread-safe: owned by the process sampler, on its thread.
class LinuxProcessTable final : public ProcessTable {
public:
    enum class FootprintSource { statmAndStatusSwap, status, statm };

    struct Options {
        FootprintSource footprint = FootprintSource::statmAndStatusSwap;
        // Most descriptors kept open at once. Without one, the table raises the open-file limit
        // and keeps open what it allows after a reserve for the rest of the program.
        std::optional<std::size_t> keptOpenLimit{};
        // Where the GPU figures go; no descriptor is looked at without it. Shared with the host
        // that reports the devices.
        std::shared_ptr<GpuClients> gpuClients{};
        // How the descriptors are found; its root is the table's own.
        DrmClientScan::Options drmScan{};
    };

    explicit LinuxProcessTable(const std::filesystem::path& root = "/");
    LinuxProcessTable(const std::filesystem::path& root, const Options& options);
    ~LinuxProcessTable() override;
    LinuxProcessTable(const LinuxProcessTable&) = delete;
    LinuxProcessTable& operator=(const LinuxProcessTable&) = delete;

    Timebase timebase() override;
    int countProcesses() override;
    int listProcesses(std::span<std::int32_t> identifiers) override;
    std::optional<ProcessUsage> usage(std::int32_t pid) override;
    std::string executablePath(std::int32_t pid) override;
    std::string shortName(std::int32_t pid) override;
    std::string bundleDisplayName(std::string_view bundlePath) override;

    // Descriptors kept open now.
    std::size_t keptOpen() const { return keptOpen_; }

    // The scan of DRM descriptors; null without gpuClients.
    const DrmClientScan* drmScan() const { return scan_.get(); }

private:
    // One process of the current listing and what its stat line said.
    struct Listed {
        std::int32_t pid = 0;
        bool readable = false;
        std::uint64_t userTicks = 0;
        std::uint64_t systemTicks = 0;
        std::uint64_t startTicks = 0;
        // Times and page faults summed: unchanged while the process neither ran nor faulted.
        std::uint64_t activity = 0;
        std::string name{};
    };
    // The descriptors of one identifier; -1 where a file is not open.
    struct OpenFiles {
        int stat = -1;
        int footprint = -1;
        std::uint64_t start = 0;
        std::uint64_t pass = 0;                        // the last pass that listed the identifier
        std::optional<std::uint64_t> swappedBytes{};   // as status said at the last look
        std::optional<std::uint64_t> residentBytes{};  // as statm said at the last read
        std::uint64_t activityAtRead = 0;              // the process's activity then
        // What the last stat line said, and whether it was a kernel thread's; nothing before
        // the first line and after one that could not be read.
        std::optional<Listed> lastStat{};
        bool kernelThread = false;
        // The process's processor clock, and what it said just before lastStat was read; nothing
        // where it was not asked then.
        std::optional<clockid_t> clock{};
        std::optional<std::uint64_t> clockAtStat{};
        int clockRestPasses = 0;  // passes left that read stat without asking the clock
    };

    bool openDirectory();
    std::optional<std::string_view> read(int& descriptor, std::int32_t pid, const char* file,
                                         bool mayKeepOpen = true);
    std::optional<std::uint64_t> footprint(const Listed& process, OpenFiles& files);
    bool listDirectory();
    bool noneStartedSinceListing();
    void visit(std::int32_t pid, bool listed);
    bool statUnchanged(OpenFiles& files, std::int32_t pid);
    void listProcess(const Listed& process);
    void release(int& descriptor);
    void closeFiles(OpenFiles& files);
    const Listed* find(std::int32_t pid);

    std::filesystem::path proc_;
    Options options_;
    DIR* directory_ = nullptr;
    std::size_t keptOpenLimit_ = 0;
    bool live_ = false;  // /proc is procfs: descriptors may stay open
    std::size_t keptOpen_ = 0;
    std::uint64_t pass_ = 0;
    std::unordered_map<std::int32_t, OpenFiles> files_;
    std::vector<Listed> listed_;
    std::size_t cursor_ = 0;  // where the next lookup in listed_ starts
    std::string buffer_;      // every read of a pass goes through it
    ProcFile swaps_;
    ProcFile loadavg_;
    bool sameNamespace_ = false;                   // /proc's "self" is this process
    std::optional<std::uint64_t> lastIdentifier_;  // as loadavg said at the last pass
    std::vector<std::int32_t> known_;              // the identifiers of a pass without a listing
    bool nothingSwapped_ = false;                  // as /proc/swaps said at the start of this pass
    std::uint64_t pageSize_ = 4096;
    std::unique_ptr<DrmClientScan> scan_;
};

}  // namespace vantric
