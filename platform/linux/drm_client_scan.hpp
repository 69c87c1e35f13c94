#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <sys/types.h>

#include "platform/linux/drm_client_usage.hpp"
#include "platform/linux/gpu_clients.hpp"
#include "platform/linux/proc_file.hpp"

namespace vantric {

// Finds the DRM clients of the user's processes and reads their usage counters, riding on the
// process table's pass: the table hands over each process it lists, then ends the pass.
//
// A DRM client is an open DRM node (/dev/dri/cardN or renderDN); /proc/PID/fdinfo/FD of such a
// descriptor carries the client's counters (see parseDrmFdinfo). Finding the descriptors is the
// costly part: listing a process's descriptors costs a directory read and a readlink per
// descriptor. So each process's DRM descriptors are remembered, and its descriptors are listed
// again only
//   - at the second pass that sees it (a new identifier, or a new start time: a new process);
//     most processes met once are gone by the next pass;
//   - when a read of a remembered descriptor failed (it was closed);
//   - when its processor time moved since the last listing, at most every relistPasses passes: a
//     process that did not run cannot have opened anything;
//   - at its turn every sweepPasses passes (the processes take turns by identifier), which
//     catches one that ran for less than the tick in which the kernel counts processor time.
// Listing reads the link of each descriptor, so a process with many is listed less often: the
// interval grows by relistPasses for each 128 descriptors it held at its last listing.
// So a client opened by a running process is found within relistPasses passes (a few times that
// in a process with hundreds of descriptors), and that of a new process at its second pass, with a
// share from its third. Each pass then
// reads only the remembered descriptors' fdinfo, each client once (the same client can sit under
// several descriptors and processes, after dup, fork or passing descriptors over a socket), and it
// counts for the lowest identifier that holds it.
//
// What it cannot see: processes of other users, which are skipped from their second pass on (the
// kernel lets only their owner and root read their descriptors, and even root's reading is left
// out, so that one rule holds for every user), processes that made themselves non-readable, and
// clients inside the kernel. A device's load counted from clients is therefore the load of this
// user's work.
//
// Cost of a pass: one pread per client of a kept-open fdinfo file (at most keptOpenLimit of them;
// beyond, the file is opened and closed at each read), and the listings above.
//
// Waking: reading the fdinfo of some drivers' clients (xe) resumes a device that runtime power
// management has put to sleep, so each device's power/runtime_status is read first, once a pass;
// a sleeping device's clients are not read: they keep their counters for when it wakes, and
// their buffers, and do nothing meanwhile.
//
// Not thread-safe: owned by the process table, on its thread.
class DrmClientScan {
public:
    struct Options {
        // Where sys/class/drm is found ("/" in production, a fixture tree in the tests).
        std::filesystem::path root = "/";
        // A descriptor whose link points into this folder is a DRM node.
        std::string nodeFolder = "/dev/dri/";
        std::optional<uid_t> owner{};  // whose processes are read; this process's user when absent
        std::uint64_t relistPasses = 5;
        std::uint64_t sweepPasses = 300;
        std::size_t keptOpenLimit = 64;
        std::function<std::uint64_t()> clock{};  // steady nanoseconds; the steady clock when empty
    };

    explicit DrmClientScan(Options options);
    ~DrmClientScan();
    DrmClientScan(const DrmClientScan&) = delete;
    DrmClientScan& operator=(const DrmClientScan&) = delete;

    void beginPass();
    // One listed process: procDirectory is the descriptor of the /proc folder, cpuTicks its
    // processor time (utime + stime).
    void visit(int procDirectory, std::int32_t pid, std::uint64_t startTicks,
               std::uint64_t cpuTicks);
    // Reads the clients of the pass's processes and writes their figures into clients.
    void endPass(int procDirectory, GpuClients& clients);

    // Counts since the scan was made, for the tests and benchmarks of its cost.
    std::uint64_t listings() const { return listings_; }
    std::uint64_t reads() const { return reads_; }
    // fdinfo files kept open now.
    std::size_t keptOpen() const { return openInfos_; }

private:
    // An fdinfo file kept open between passes: procfs writes it afresh for each read at offset 0,
    // looking the descriptor up by its number each time, so one pread reads the client's
    // counters now, and fails once the descriptor is closed. Counted in open.
    class OpenInfo {
    public:
        OpenInfo() = default;
        OpenInfo(int file, std::size_t& open) : file_(file), open_(&open) { ++open; }
        ~OpenInfo() { reset(); }
        OpenInfo(OpenInfo&& other) noexcept
            : file_(std::exchange(other.file_, -1)), open_(other.open_) {}
        OpenInfo& operator=(OpenInfo&& other) noexcept {
            if (this != &other) {
                reset();
                file_ = std::exchange(other.file_, -1);
                open_ = other.open_;
            }
            return *this;
        }
        OpenInfo(const OpenInfo&) = delete;
        OpenInfo& operator=(const OpenInfo&) = delete;

        int get() const { return file_; }
        void reset();

    private:
        int file_ = -1;
        std::size_t* open_ = nullptr;
    };
    struct Descriptor {
        int number = -1;
        OpenInfo info{};
        std::string device{};
        std::optional<std::uint64_t> clientId{};  // as its fdinfo said at the last read
        // Its fdinfo has neither engine counters nor buffers (nouveau, which prints no client at
        // all, or a driver that prints only the client): not read until relisted.
        bool silent = false;
    };
    enum class Access { unknown, own, foreign };
    struct Process {
        std::uint64_t start = 0;
        std::uint64_t cpuAtListing = 0;
        std::uint64_t listedPass = 0;
        std::size_t descriptorCount = 0;  // at the last listing
        std::uint64_t pass = 0;           // the last pass that visited it
        Access access = Access::unknown;
        bool listAgain = false;
        std::vector<Descriptor> descriptors{};
    };
    struct Device {
        std::unique_ptr<ProcFile> powerState;
        bool asleep = false;  // as power/runtime_status said this pass
        std::uint64_t checkedPass = 0;
    };

    void list(int procDirectory, std::int32_t pid, Process& process);
    std::optional<std::string_view> readInfo(int procDirectory, std::int32_t pid,
                                             Descriptor& descriptor);
    const std::string& deviceOfNode(std::string_view node);
    bool asleep(const std::string& device);

    Options options_;
    uid_t owner_;
    std::uint64_t pass_ = 0;
    std::unordered_map<std::int32_t, Process> processes_;
    std::unordered_map<std::string, std::string> nodeDevices_;  // node name -> device name
    std::unordered_map<std::string, Device> devices_;
    DrmClientUsage usage_;
    std::string buffer_;
    std::vector<char> listing_;  // the directory entries of the last listing
    std::size_t openInfos_ = 0;
    std::uint64_t listings_ = 0;
    std::uint64_t reads_ = 0;
};

}  // namespace vantric
