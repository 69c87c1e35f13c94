#include "platform/linux/linux_process_table.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <numeric>

#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include "platform/linux/proc_file.hpp"
#include "platform/linux/process_name.hpp"
#include "platform/linux/process_stat.hpp"
#include "platform/linux/swaps.hpp"

namespace vantric {

namespace {

// The most open files asked for: two per process of a machine with tens of thousands of them.
constexpr rlim_t wantedOpenFiles = 65536;
// Left to the rest of the program (sockets, the window system, icon and settings files).
constexpr rlim_t reservedOpenFiles = 512;

std::size_t raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 0;
    }
    const rlim_t wanted = limit.rlim_max == RLIM_INFINITY
                              ? wantedOpenFiles
                              : std::min<rlim_t>(limit.rlim_max, wantedOpenFiles);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        rlimit raised = limit;
        raised.rlim_cur = wanted;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        }
    }
    const rlim_t available =
        limit.rlim_cur == RLIM_INFINITY ? wantedOpenFiles : std::min(limit.rlim_cur, wanted);
    return available > reservedOpenFiles ? static_cast<std::size_t>(available - reservedOpenFiles)
                                         : 0;
}

// "PID/file", relative to /proc, in a buffer that needs no allocation.
class RelativePath {
public:
    RelativePath(std::int32_t pid, const char* file) {
        char* end = std::to_chars(text_.data(), text_.data() + 16, pid).ptr;
        *end++ = '/';
        for (; *file != '\0' && end < text_.data() + text_.size() - 1; ++file) {
            *end++ = *file;
        }
        *end = '\0';
    }
    const char* c_str() const { return text_.data(); }

private:
    std::array<char, 32> text_{};
};

std::optional<std::int32_t> processIdentifier(const char* name) {
    std::int32_t pid = 0;
    const char* end = name + std::char_traits<char>::length(name);
    const auto [stop, error] = std::from_chars(name, end, pid);
    if (name == end || error != std::errc{} || stop != end || pid <= 0 || *name == '+') {
        return std::nullopt;
    }
    return pid;
}

constexpr std::string_view deletedSuffix = " (deleted)";

// How many passes a process's swapped amount, and the resident amount of a process that neither
// ran nor faulted, are kept before they are read again.
constexpr std::uint64_t refreshPasses = 10;
// How many passes read the stat line of a process whose clock just moved without asking the
// clock first: a process that ran in the last second is likely to run in the next one.
constexpr int clockRestPasses = 4;

}  // namespace

LinuxProcessTable::LinuxProcessTable(const std::filesystem::path& root)
    : LinuxProcessTable(root, Options{}) {}

LinuxProcessTable::LinuxProcessTable(const std::filesystem::path& root, const Options& options)
    : proc_(root / "proc"),
      options_(options),
      swaps_(proc_ / "swaps"),
      loadavg_(proc_ / "loadavg") {
    keptOpenLimit_ = options.keptOpenLimit ? *options.keptOpenLimit : raiseOpenFileLimit();
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize > 0) {
        pageSize_ = static_cast<std::uint64_t>(pageSize);
    }
    if (options_.gpuClients) {
        DrmClientScan::Options scan = options_.drmScan;
        scan.root = root;
        scan_ = std::make_unique<DrmClientScan>(std::move(scan));
    }
    openDirectory();
}

LinuxProcessTable::~LinuxProcessTable() {
    for (auto& [pid, files] : files_) {
        closeFiles(files);
    }
    if (directory_ != nullptr) {
        closedir(directory_);
    }
}

Timebase LinuxProcessTable::timebase() {
    // Every Linux ABI fixes the tick rate of /proc at USER_HZ, 100 on all but a few old ones.
    const long reported = sysconf(_SC_CLK_TCK);
    const auto ticksPerSecond = static_cast<std::uint32_t>(reported > 0 ? reported : 100);
    constexpr std::uint32_t nanosecondsPerSecond = 1'000'000'000;
    const std::uint32_t common = std::gcd(nanosecondsPerSecond, ticksPerSecond);
    return Timebase{.numer = nanosecondsPerSecond / common, .denom = ticksPerSecond / common};
}

bool LinuxProcessTable::openDirectory() {
    directory_ = opendir(proc_.c_str());
    if (directory_ == nullptr) {
        return false;
    }
    live_ = regeneratesOnRead(dirfd(directory_));
    // Zero-filled, so a link shorter than the buffer reads as a terminated string.
    std::array<char, 32> self{};
    const ssize_t length = readlinkat(dirfd(directory_), "self", self.data(), self.size() - 1);
    sameNamespace_ = live_ && length > 0 && processIdentifier(self.data()) == getpid();
    return true;
}

int LinuxProcessTable::countProcesses() {
    if (directory_ == nullptr && !openDirectory()) {
        return 0;
    }
    ++pass_;
    if (scan_) {
        scan_->beginPass();
    }
    listed_.clear();
    cursor_ = 0;
    if (options_.footprint == FootprintSource::statmAndStatusSwap) {
        // Every page a process has in swap holds a slot that the Used column counts. A tree
        // without the file (an old fixture) may have swap in use.
        const auto swaps = swaps_.read();
        const auto swapUsed = swaps ? parseSwapsUsedKilobytes(*swaps) : std::nullopt;
        nothingSwapped_ = swapUsed == std::uint64_t{0};
    }

    if (noneStartedSinceListing()) {
        // The same identifiers as at the last pass, less those that have gone since.
        known_.clear();
        for (const auto& [pid, files] : files_) {
            known_.push_back(pid);
        }
        for (const std::int32_t pid : known_) {
            visit(pid, false);
        }
    } else if (!listDirectory()) {
        lastIdentifier_.reset();
        return 0;
    }
    for (auto entry = files_.begin(); entry != files_.end();) {
        if (entry->second.pass == pass_) {
            ++entry;
        } else {
            closeFiles(entry->second);
            entry = files_.erase(entry);
        }
    }
    if (scan_) {
        scan_->endPass(dirfd(directory_), *options_.gpuClients);
    }
    return static_cast<int>(std::min<std::size_t>(listed_.size(), INT_MAX));
}

bool LinuxProcessTable::listDirectory() {
    rewinddir(directory_);
    while (true) {
        errno = 0;
        // readdir is safe on a stream that only this table reads.
        const dirent* entry = readdir(directory_);  // NOLINT(concurrency-mt-unsafe)
        if (entry == nullptr) {
            return errno == 0;
        }
        if (const auto pid = processIdentifier(entry->d_name)) {
            visit(*pid, true);
        }
    }
}

// The kernel hands out identifiers in turn, and /proc/loadavg names the last one given, to a
// process or a thread. While it stays the same, nothing has started since the last listing and
// the identifiers the table knows are all there are. Only where /proc is of the table's own
// namespace (its "self" is this process), as loadavg counts in that one.
bool LinuxProcessTable::noneStartedSinceListing() {
    if (!sameNamespace_) {
        return false;
    }
    const auto text = loadavg_.read();
    const auto last = text ? parseLastIdentifier(*text) : std::nullopt;
    const bool same = last && lastIdentifier_ == last;
    lastIdentifier_ = last;
    return same;
}

void LinuxProcessTable::visit(std::int32_t pid, bool listed) {
    OpenFiles& files = files_[pid];
    if (statUnchanged(files, pid)) {
        files.pass = pass_;
        if (!files.kernelThread) {
            listProcess(*files.lastStat);
        }
        return;
    }
    const bool wasOpen = files.stat >= 0;
    auto text = read(files.stat, pid, "stat");
    if (!text && wasOpen) {
        // The process the descriptors belonged to has gone; the identifier may already name a
        // new one.
        closeFiles(files);
        text = read(files.stat, pid, "stat");
    }
    const auto stat = text ? parseProcessStat(*text) : std::nullopt;
    if (!stat) {
        files.lastStat.reset();
        if (listed || faccessat(dirfd(directory_), RelativePath(pid, "").c_str(), F_OK, 0) == 0) {
            // Listed but unreadable: counted, and its usage will not be read.
            files.pass = pass_;
            listed_.push_back(Listed{.pid = pid});
        }
        return;
    }
    files.pass = pass_;
    files.kernelThread = stat->kernelThread();
    files.lastStat = Listed{.pid = pid,
                            .readable = true,
                            .userTicks = stat->userTicks,
                            .systemTicks = stat->systemTicks,
                            .startTicks = stat->startTicks,
                            .activity = stat->userTicks + stat->systemTicks + stat->faults,
                            .name = std::string(stat->name)};
    if (files.kernelThread) {
        return;
    }
    if (files.start != stat->startTicks) {
        release(files.footprint);  // an earlier process's, when there is one
        files.swappedBytes.reset();
        files.residentBytes.reset();
        files.start = stat->startTicks;
    }
    listProcess(*files.lastStat);
}

void LinuxProcessTable::listProcess(const Listed& process) {
    listed_.push_back(process);
    if (scan_) {
        scan_->visit(dirfd(directory_), process.pid, process.startTicks,
                     process.userTicks + process.systemTicks);
    }
}

// Asks the clock before the stat line is read, so that a process that runs in between shows at
// the next pass. Only procfs has clocks to ask: a fixture's identifiers are nobody's.
bool LinuxProcessTable::statUnchanged(OpenFiles& files, std::int32_t pid) {
    if (!live_) {
        return false;
    }
    if (files.clockRestPasses > 0) {
        --files.clockRestPasses;
        files.clockAtStat.reset();
        return false;
    }
    if (!files.clock) {
        clockid_t clock{};
        if (clock_getcpuclockid(pid, &clock) != 0) {
            return false;
        }
        files.clock = clock;
    }
    timespec now{};
    if (clock_gettime(*files.clock, &now) != 0) {
        files.clockAtStat.reset();
        return false;
    }
    constexpr std::uint64_t nanosecondsPerSecond = 1'000'000'000;
    const std::uint64_t nanoseconds =
        static_cast<std::uint64_t>(now.tv_sec) * nanosecondsPerSecond +
        static_cast<std::uint64_t>(now.tv_nsec);
    if (files.lastStat && files.clockAtStat == nanoseconds) {
        return true;
    }
    if (files.clockAtStat) {
        files.clockRestPasses = clockRestPasses;  // it ran, and will likely run again at once
    }
    files.clockAtStat = nanoseconds;
    return false;
}

int LinuxProcessTable::listProcesses(std::span<std::int32_t> identifiers) {
    if (directory_ == nullptr) {
        return 0;
    }
    const std::size_t count = std::min(identifiers.size(), listed_.size());
    for (std::size_t index = 0; index < count; ++index) {
        identifiers[index] = listed_[index].pid;
    }
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

std::optional<ProcessUsage> LinuxProcessTable::usage(std::int32_t pid) {
    const Listed* process = find(pid);
    const auto files = files_.find(pid);
    if (process == nullptr || !process->readable || files == files_.end()) {
        return std::nullopt;
    }
    const auto footprintBytes = footprint(*process, files->second);
    if (!footprintBytes) {
        return std::nullopt;
    }
    return ProcessUsage{
        .userTime = process->userTicks,
        .systemTime = process->systemTicks,
        .physicalFootprint = *footprintBytes,
        .startTime = process->startTicks,
        .shortName = process->name,
        .gpu = options_.gpuClients ? options_.gpuClients->process(pid) : std::nullopt};
}

std::optional<std::uint64_t> LinuxProcessTable::footprint(const Listed& process, OpenFiles& files) {
    const std::int32_t pid = process.pid;
    if (options_.footprint == FootprintSource::status) {
        const auto text = read(files.footprint, pid, "status");
        const auto memory = text ? parseStatusMemory(*text) : std::nullopt;
        if (!memory) {
            return std::nullopt;
        }
        return (memory->resident + memory->swapped) * 1024;
    }
    const bool due = (pass_ + static_cast<std::uint64_t>(pid)) % refreshPasses == 0;
    if (!files.residentBytes || files.activityAtRead != process.activity || due) {
        const auto text = read(files.footprint, pid, "statm");
        const auto pages = text ? parseStatmPrivatePages(*text) : std::nullopt;
        if (!pages) {
            files.residentBytes.reset();
            return std::nullopt;
        }
        files.residentBytes = *pages * pageSize_;
        files.activityAtRead = process.activity;
    }
    const std::uint64_t resident = *files.residentBytes;
    if (options_.footprint == FootprintSource::statm) {
        return resident;
    }
    if (nothingSwapped_) {
        files.swappedBytes = 0;
    } else if (!files.swappedBytes || due) {
        int once = -1;
        // A status that cannot be read keeps the last amount; without one, it is tried again at
        // the next pass.
        const auto status = read(once, pid, "status", false);
        if (const auto memory = status ? parseStatusMemory(*status) : std::nullopt) {
            files.swappedBytes = memory->swapped * 1024;
        }
    }
    return resident + files.swappedBytes.value_or(0);
}

std::string LinuxProcessTable::executablePath(std::int32_t pid) {
    if (directory_ == nullptr) {
        return {};
    }
    std::array<char, 4096> target{};
    const ssize_t length = readlinkat(dirfd(directory_), RelativePath(pid, "exe").c_str(),
                                      target.data(), target.size());
    if (length <= 0) {
        return {};
    }
    std::string path(target.data(), static_cast<std::size_t>(length));
    if (path.ends_with(deletedSuffix)) {
        path.resize(path.size() - deletedSuffix.size());
    }
    return path;
}

std::string LinuxProcessTable::shortName(std::int32_t pid) {
    const Listed* process = find(pid);
    if (process == nullptr) {
        return {};
    }
    if (process->name.size() < longestComm) {
        return process->name;
    }
    // Asked once per new process, and only names the kernel may have cut cost a read here.
    std::string comm = process->name;
    if (auto whole = uncutName(comm, executablePath(pid))) {
        return std::move(*whole);
    }
    int once = -1;
    if (const auto commandLine = read(once, pid, "cmdline", false)) {
        if (auto whole = uncutName(comm, firstArgument(*commandLine))) {
            return std::move(*whole);
        }
    }
    return comm;
}

std::string LinuxProcessTable::bundleDisplayName(std::string_view bundlePath) {
    while (bundlePath.size() > 1 && bundlePath.back() == '/') {
        bundlePath.remove_suffix(1);
    }
    const std::size_t slash = bundlePath.rfind('/');
    return std::string(slash == std::string_view::npos ? bundlePath : bundlePath.substr(slash + 1));
}

// Reads file of pid through descriptor: the kept-open one when there is one, otherwise a fresh
// one that stays open when the budget allows. A kept-open descriptor whose read fails is closed.
std::optional<std::string_view> LinuxProcessTable::read(int& descriptor, std::int32_t pid,
                                                        const char* file, bool mayKeepOpen) {
    if (descriptor >= 0) {
        auto text = readWhole(descriptor, buffer_);
        if (!text) {
            release(descriptor);
        }
        return text;
    }
    int opened = -1;
    do {
        opened = openat(dirfd(directory_), RelativePath(pid, file).c_str(), O_RDONLY | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) {
        return std::nullopt;
    }
    const auto text = readWhole(opened, buffer_);
    if (text && mayKeepOpen && live_ && keptOpen_ < keptOpenLimit_) {
        descriptor = opened;
        ++keptOpen_;
    } else {
        ::close(opened);
    }
    return text;
}

void LinuxProcessTable::release(int& descriptor) {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
        --keptOpen_;
    }
}

void LinuxProcessTable::closeFiles(OpenFiles& files) {
    release(files.stat);
    release(files.footprint);
}

// The sampler asks for the processes in listing order, each once for its usage and once more for
// its name when it is new: look at the next and the last place before searching.
const LinuxProcessTable::Listed* LinuxProcessTable::find(std::int32_t pid) {
    for (const std::size_t index : {cursor_, cursor_ - 1}) {
        if (index < listed_.size() && listed_[index].pid == pid) {
            cursor_ = index + 1;
            return &listed_[index];
        }
    }
    const auto found = std::find_if(listed_.begin(), listed_.end(),
                                    [pid](const Listed& process) { return process.pid == pid; });
    if (found == listed_.end()) {
        return nullptr;
    }
    cursor_ = static_cast<std::size_t>(found - listed_.begin()) + 1;
    return &*found;
}

}  // namespace vantric
