#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <string_view>

#include <sys/fsuid.h>

#include "support/fixtures.hpp"

namespace vantric::testing {

// The ways a file of /proc or /sys can go wrong under a reader: vanished (the process ended, the
// device went away), denied (mode 000: another user's process, a hardened /proc), truncated (ends
// in the middle of a number), binary (random bytes: zero bytes, invalid UTF-8, no newline at the
// end) and hugeNumbers (every number beyond 64 bits).
enum class FileFault { vanished, denied, truncated, binary, hugeNumbers };

inline std::string faultName(FileFault fault) {
    constexpr const char* names[] = {"vanished", "denied", "truncated", "binary", "hugeNumbers"};
    return names[static_cast<int>(fault)];
}

// Breaks file the given way. A truncated file ends right after the first digit that follows the
// first cutInside, so the line it ends in is cut in the middle of a number (empty without one).
inline void breakFile(FileFault fault, const std::filesystem::path& file,
                      std::string_view cutInside = {}) {
    const std::string text = readFile(file);
    switch (fault) {
    case FileFault::vanished: std::filesystem::remove(file); break;
    case FileFault::denied: std::filesystem::permissions(file, std::filesystem::perms::none); break;
    case FileFault::truncated: {
        // Not found: past the end, where no digit follows.
        const std::size_t marker = std::min(text.find(cutInside), text.size()) + cutInside.size();
        const std::size_t digit = text.find_first_of("0123456789", marker);
        writeFile(file, text.substr(0, digit == std::string::npos ? 0 : digit + 1));
        break;
    }
    case FileFault::binary: {
        std::mt19937 generator(20240607);  // fixed, so that a failure is reproducible
        std::string garbage(4096, '\0');
        std::generate(garbage.begin(), garbage.end(),
                      [&] { return static_cast<char>(generator() >> 24); });
        writeFile(file, garbage);
        break;
    }
    case FileFault::hugeNumbers:  // 2^64 is 18446744073709551616
        writeFile(file, std::regex_replace(text, std::regex("[0-9]+"), "99999999999999999999"));
        break;
    }
}

// Puts text back as the file, readable by everyone again.
inline void repairFile(const std::filesystem::path& file, std::string_view text) {
    writeFile(file, text);
    std::filesystem::permissions(file, std::filesystem::perms(0644));
}

// While it lives, the calling thread's file accesses are checked as those of nobody (65534), so
// that a file's mode denies them also in a test run as root: a filesystem uid other than 0 drops
// CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the thread's effective capabilities, and going
// back to 0 restores them. Other threads keep their own. Without root it changes nothing, and
// the modes hold anyway.
class UnprivilegedFiles {
public:
    UnprivilegedFiles() : previous_(setfsuid(65534)) {}
    ~UnprivilegedFiles() { setfsuid(static_cast<uid_t>(previous_)); }
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;

private:
    int previous_;
};

// Whether a file of mode 000 in folder is refused inside UnprivilegedFiles. It is not where the
// filesystem uid cannot be changed (no CAP_SETUID) while the process still bypasses modes.
inline bool modesDenyHere(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / "unreadable-probe";
    writeFile(probe, "x");
    std::filesystem::permissions(probe, std::filesystem::perms::none);
    const bool opened = [&] {
        const UnprivilegedFiles user;
        return std::ifstream(probe).is_open();
    }();
    std::filesystem::remove(probe);
    return !opened;
}

}  // namespace vantric::testing
