#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantric {

// The whole text of an open file, read with pread at offset 0 into buffer, which grows as needed
// and is kept for the next read; nothing when the read fails (for a /proc/PID file: the process
// has gone). procfs writes a file's text afresh for every read at offset 0, so a descriptor kept
// open reads the current text each time.
std::optional<std::string_view> readWhole(int descriptor, std::string& buffer);

// True when the descriptor's file is on procfs or sysfs, whose text is regenerated on each read.
bool regeneratesOnRead(int descriptor);

// One file of /proc or /sys, read whole into a buffer that is reused between reads.
//
// procfs and sysfs regenerate a file's text on every read at offset 0, so their descriptors stay
// open between reads and each read is a single pread: this halves the system calls of a pass. A
// file on any other file system (the fixture trees of the tests) is opened and closed on every
// read, so that a file replaced or removed between reads is seen as it is now. A read that fails
// closes the descriptor; the next read opens the file again.
// Not thread-safe; owned by one reader.
class ProcFile {
public:
    explicit ProcFile(std::filesystem::path path);
    ~ProcFile();
    ProcFile(const ProcFile&) = delete;
    ProcFile& operator=(const ProcFile&) = delete;
    ProcFile(ProcFile&& other) noexcept;
    ProcFile& operator=(ProcFile&& other) noexcept;

    // The whole text, or nothing when the file cannot be opened or read. The view is valid until
    // the next read.
    std::optional<std::string_view> read();

private:
    bool open();
    void close();

    std::filesystem::path path_;
    int descriptor_ = -1;
    bool keepOpen_ = false;
    std::string buffer_;
};

}  // namespace vantric
