#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantric {

// The fields of /proc/PID/stat that the process table uses.
struct ProcessStat {
    std::string_view name{};        // the kernel's short name (comm); a view into the parsed text
    std::uint32_t flags = 0;        // PF_* flags
    std::uint64_t userTicks = 0;    // utime, in clock ticks
    std::uint64_t systemTicks = 0;  // stime, in clock ticks
    // minflt + majflt: the page faults of all the process's threads, living and gone. Counted at
    // each fault, where the times are sampled at the clock tick.
    std::uint64_t faults = 0;
    std::uint64_t startTicks = 0;  // starttime: clock ticks after boot

    // Kernel threads run no program of a user's, have no memory of their own and no executable.
    bool kernelThread() const { return (flags & 0x00200000U) != 0; }  // PF_KTHREAD
};

// One line of /proc/PID/stat. The name is whatever the process set (up to 15 bytes, spaces and
// parentheses included), so it runs from the first '(' to the last ')' and the numbered fields
// are counted after that. Nothing when the line is cut short or a field used is not a number, or
// a time or a fault count beyond 2^58 (garbage).
std::optional<ProcessStat> parseProcessStat(std::string_view text);

// /proc/PID/statm -> resident minus shared pages: the resident memory that is the process's own
// (its anonymous pages), as shared counts its file-backed and shared-memory pages. Nothing when
// the line is not seven numbers, or holds more than 2^44 resident pages (garbage).
std::optional<std::uint64_t> parseStatmPrivatePages(std::string_view text);

// The process's own memory as /proc/PID/status gives it, in kB.
struct StatusMemory {
    std::uint64_t resident = 0;  // RssAnon; VmRSS on kernels before 4.5, which have no RssAnon
    std::uint64_t swapped = 0;   // VmSwap: its pages in swap, zram and zswap included
};

// A process without memory (a zombie) has none of these lines and holds 0. Nothing when one of
// them is not a number of kB or the text ends inside a line before VmSwap (a file cut short).
std::optional<StatusMemory> parseStatusMemory(std::string_view text);

// /proc/loadavg -> the identifier the kernel handed out last (its fifth field), to a process or
// a thread of the reader's namespace. Nothing when the line is not three averages, a
// running/total pair and a number, ended by a newline.
std::optional<std::uint64_t> parseLastIdentifier(std::string_view text);

}  // namespace vantric
