#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/device_directory.hpp"
#include "platform/linux/proc_file.hpp"

namespace vantric {

// Text of /sys/block/zramN/mm_stat -> mem_used_total, the third field: the bytes of RAM the
// device's compressed store occupies, allocator overhead included. Absent when the text does not
// have at least three numbers.
std::optional<std::uint64_t> parseZramMemoryUsed(std::string_view mmStat);

// The zram devices of a machine (root/sys/block/zramN) that are set up (initstate 1, or no
// initstate). Owned by LinuxHost, on its thread.
class ZramDevices {
public:
    ZramDevices(const std::filesystem::path& root, std::chrono::steady_clock::duration rescan);

    // RAM held by all devices together, in bytes. A device whose file cannot be read adds 0.
    std::uint64_t memoryUsed();

    // The next memoryUsed lists the devices again. A device set up between two listings is
    // otherwise counted from the next one on.
    void listAgain() { listAgain_ = true; }

private:
    std::filesystem::path blockDirectory_;
    RescanSchedule rescan_;
    bool listAgain_ = false;
    std::vector<ProcFile> mmStats_;
};

}  // namespace vantric
