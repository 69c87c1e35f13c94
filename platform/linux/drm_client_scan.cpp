#include "platform/linux/drm_client_scan.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/linux/device_slot.hpp"
#include "platform/linux/drm_fdinfo.hpp"
#include "platform/linux/file_text.hpp"

namespace vantric {

namespace {

// "PID", "PID/folder" or "PID/folder/N", relative to /proc, without allocating.
class ProcPath {
public:
    explicit ProcPath(std::int32_t pid) {
        static_cast<void>(std::snprintf(text_.data(), text_.size(), "%d", pid));
    }
    ProcPath(std::int32_t pid, const char* folder) {
        static_cast<void>(std::snprintf(text_.data(), text_.size(), "%d/%s", pid, folder));
    }
    ProcPath(std::int32_t pid, const char* folder, int number) {
        static_cast<void>(
            std::snprintf(text_.data(), text_.size(), "%d/%s/%d", pid, folder, number));
    }
    const char* c_str() const { return text_.data(); }

private:
    std::array<char, 48> text_{};
};

constexpr std::size_t descriptorsPerInterval = 128;

int openRelative(int directory, const char* path, int flags) {
    int opened = -1;
    do {
        opened = openat(directory, path, flags | O_CLOEXEC);
    } while (opened < 0 && errno == EINTR);
    return opened;
}

}  // namespace

DrmClientScan::DrmClientScan(Options options)
    : options_(std::move(options)), owner_(options_.owner.value_or(geteuid())) {
    if (!options_.clock) {
        options_.clock = [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            return static_cast<std::uint64_t>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
        };
    }
}

DrmClientScan::~DrmClientScan() {
    processes_.clear();  // closes the kept files while the count they update still exists
}

void DrmClientScan::OpenInfo::reset() {
    if (file_ >= 0) {
        ::close(file_);
        file_ = -1;
        --*open_;
    }
}

void DrmClientScan::beginPass() {
    ++pass_;
}

void DrmClientScan::visit(int procDirectory, std::int32_t pid, std::uint64_t startTicks,
                          std::uint64_t cpuTicks) {
    auto [entry, added] = processes_.try_emplace(pid);
    Process& process = entry->second;
    process.pass = pass_;
    if (added || process.start != startTicks) {
        // Listed from its second pass on: most processes that a pass meets for the first time
        // are gone by the next (a build's compilers, a script's commands), and a client needs
        // two readings to show a share anyway.
        process = Process{.start = startTicks, .pass = pass_, .listAgain = true};
        return;
    }
    if (process.access == Access::unknown) {
        // The folder /proc/PID belongs to the process's user, whatever else it allows.
        struct stat folder {};
        const bool own = fstatat(procDirectory, ProcPath(pid).c_str(), &folder, 0) == 0 &&
                         folder.st_uid == owner_;
        process.access = own ? Access::own : Access::foreign;
    }
    if (process.access == Access::foreign) {
        return;
    }
    // Listing costs a read of the link of every descriptor: a process that holds hundreds (a
    // browser, this program with its kept-open files) is looked at less often, one more interval
    // for each 128.
    const std::uint64_t interval =
        options_.relistPasses * (1 + process.descriptorCount / descriptorsPerInterval);
    const bool due = pass_ - process.listedPass >= interval;
    const bool ran = cpuTicks != process.cpuAtListing;
    const bool sweep = (pass_ + static_cast<std::uint64_t>(pid)) % options_.sweepPasses == 0;
    if (!process.listAgain && !(due && (ran || sweep))) {
        return;
    }
    list(procDirectory, pid, process);
    process.cpuAtListing = cpuTicks;
}

void DrmClientScan::list(int procDirectory, std::int32_t pid, Process& process) {
    ++listings_;
    process.listAgain = false;
    process.listedPass = pass_;
    process.descriptorCount = 0;
    const int folder =
        openRelative(procDirectory, ProcPath(pid, "fd").c_str(), O_RDONLY | O_DIRECTORY);
    if (folder < 0) {
        process.descriptors.clear();
        return;
    }
    std::vector<Descriptor> found;
    std::array<char, 256> target{};
    // getdents64 into a buffer kept for the next listing: opendir would allocate and free 32 KiB
    // for each process, which costs more than the listing itself.
    listing_.resize(16384);
    while (true) {
        const long length = syscall(SYS_getdents64, folder, listing_.data(), listing_.size());
        if (length <= 0) {
            break;
        }
        for (long offset = 0; offset < length;) {
            dirent64 entry{};
            std::memcpy(&entry, listing_.data() + offset,
                        std::min(sizeof entry, static_cast<std::size_t>(length - offset)));
            const char* const name = listing_.data() + offset + offsetof(dirent64, d_name);
            offset += entry.d_reclen == 0 ? length : entry.d_reclen;
            int number = 0;
            const char* const end = name + std::strlen(name);
            if (name == end || std::from_chars(name, end, number).ptr != end) {
                continue;
            }
            ++process.descriptorCount;
            const ssize_t size = readlinkat(folder, name, target.data(), target.size());
            if (size <= 0) {
                continue;
            }
            const std::string_view link(target.data(), static_cast<std::size_t>(size));
            if (!link.starts_with(options_.nodeFolder)) {
                continue;
            }
            std::string_view node = link.substr(options_.nodeFolder.size());
            node = node.substr(0, node.find(' '));  // " (deleted)" after a node that was removed
            const auto kept = std::find_if(
                process.descriptors.begin(), process.descriptors.end(),
                [number](const Descriptor& descriptor) { return descriptor.number == number; });
            // The number may name another client now: its text says at the next read.
            found.push_back(Descriptor{
                .number = number,
                .info = kept != process.descriptors.end() ? std::move(kept->info) : OpenInfo{},
                .device = deviceOfNode(node)});
        }
    }
    ::close(folder);
    std::sort(found.begin(), found.end(),
              [](const Descriptor& a, const Descriptor& b) { return a.number < b.number; });
    process.descriptors = std::move(found);
}

const std::string& DrmClientScan::deviceOfNode(std::string_view node) {
    const std::string name(node);
    const auto known = nodeDevices_.find(name);
    if (known != nodeDevices_.end()) {
        return known->second;
    }
    const std::filesystem::path device = options_.root / "sys/class/drm" / name / "device";
    const auto uevent = readFileText(device / "uevent");
    std::string deviceName = drmDeviceName(uevent.value_or(std::string()), name);
    auto& state = devices_[deviceName];
    if (!state.powerState) {
        state.powerState = std::make_unique<ProcFile>(device / "power/runtime_status");
    }
    return nodeDevices_.emplace(name, std::move(deviceName)).first->second;
}

bool DrmClientScan::asleep(const std::string& device) {
    Device& state = devices_[device];
    if (state.checkedPass != pass_) {
        state.checkedPass = pass_;
        const auto status = state.powerState ? state.powerState->read() : std::nullopt;
        state.asleep = status && status->starts_with("suspended");
    }
    return state.asleep;
}

std::optional<std::string_view> DrmClientScan::readInfo(int procDirectory, std::int32_t pid,
                                                        Descriptor& descriptor) {
    if (descriptor.info.get() >= 0) {
        auto text = readWhole(descriptor.info.get(), buffer_);
        if (!text) {
            descriptor.info.reset();
        }
        return text;
    }
    const int file =
        openRelative(procDirectory, ProcPath(pid, "fdinfo", descriptor.number).c_str(), O_RDONLY);
    if (file < 0) {
        return std::nullopt;
    }
    const auto text = readWhole(file, buffer_);
    // Files of a fixture tree are not written afresh: those are opened at every read.
    if (text && openInfos_ < options_.keptOpenLimit && regeneratesOnRead(file)) {
        descriptor.info = OpenInfo(file, openInfos_);
    } else {
        ::close(file);
    }
    return text;
}

void DrmClientScan::endPass(int procDirectory, GpuClients& clients) {
    std::vector<std::int32_t> holders;
    for (auto entry = processes_.begin(); entry != processes_.end();) {
        if (entry->second.pass != pass_) {
            entry = processes_.erase(entry);
            continue;
        }
        if (!entry->second.descriptors.empty()) {
            holders.push_back(entry->first);
        }
        ++entry;
    }
    // In identifier order, so that a shared client counts for the lowest identifier holding it.
    std::sort(holders.begin(), holders.end());

    std::vector<DrmClientReading> readings;
    const auto alreadyRead = [&readings](const std::string& device, std::uint64_t id) {
        return std::any_of(readings.begin(), readings.end(), [&](const DrmClientReading& reading) {
            return reading.counters.clientId == id && reading.device == device;
        });
    };
    for (const std::int32_t pid : holders) {
        Process& process = processes_[pid];
        for (Descriptor& descriptor : process.descriptors) {
            if (descriptor.silent) {
                continue;
            }
            if (asleep(descriptor.device)) {
                if (descriptor.clientId) {
                    readings.push_back(
                        DrmClientReading{.device = descriptor.device,
                                         .holder = pid,
                                         .counters = {.clientId = *descriptor.clientId},
                                         .asleep = true});
                }
                continue;
            }
            if (descriptor.clientId && alreadyRead(descriptor.device, *descriptor.clientId)) {
                continue;
            }
            ++reads_;
            const auto text = readInfo(procDirectory, pid, descriptor);
            if (!text) {
                // Closed since the listing: what the process holds now is listed again.
                descriptor.clientId.reset();
                process.listAgain = true;
                continue;
            }
            auto counters = parseDrmFdinfo(*text);
            if (!counters || (counters->engines.empty() && counters->memory == DrmClientMemory{})) {
                descriptor.silent = true;
                descriptor.info.reset();
                continue;
            }
            descriptor.clientId = counters->clientId;
            // A client first read through this descriptor may have been read through another
            // already: the usage counts it once, for the first (lowest) identifier.
            readings.push_back(DrmClientReading{
                .device = descriptor.device, .holder = pid, .counters = std::move(*counters)});
        }
    }

    clients.drm = usage_.measure(readings, options_.clock());
    for (const DrmClientReading& reading : readings) {
        if (!reading.counters.engines.empty()) {
            clients.countedDevices.insert(reading.device);
        }
    }
}

}  // namespace vantric
