#pragma once

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include "support/fixtures.hpp"

namespace vantric::testing {

// The ways a file of /proc or /sys can go wrong under a reader.
enum class FileFault {
    vanished,     // removed: the process ended, the device went away
    denied,       // mode 000: another user's process, a hardened /proc
    truncated,    // ends in the middle of a number
    binary,       // random bytes: zero bytes, invalid UTF-8, no newline at the end
    hugeNumbers,  // every number beyond 64 bits
};

inline std::string faultName(FileFault fault) {
    switch (fault) {
    case FileFault::vanished: return "vanished";
    case FileFault::denied: return "denied";
    case FileFault::truncated: return "truncated";
    case FileFault::binary: return "binary";
    case FileFault::hugeNumbers: return "hugeNumbers";
    }
    return "unknown";
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
        const std::size_t marker = text.find(cutInside);
        const std::size_t digit = marker == std::string::npos
                                      ? std::string::npos
                                      : text.find_first_of("0123456789", marker + cutInside.size());
        writeFile(file, text.substr(0, digit == std::string::npos ? 0 : digit + 1));
        break;
    }
    case FileFault::binary: {
        std::mt19937 generator(20240607);  // fixed, so that a failure is reproducible
        std::uniform_int_distribution<int> byte(0, 255);
        std::string garbage(4096, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(byte(generator));
        }
        writeFile(file, garbage);
        break;
    }
    case FileFault::hugeNumbers: {
        std::string huge;
        for (std::size_t index = 0; index < text.size(); ++index) {
            const bool digit = text[index] >= '0' && text[index] <= '9';
            if (!digit) {
                huge.push_back(text[index]);
            } else if (index == 0 || text[index - 1] < '0' || text[index - 1] > '9') {
                huge.append("99999999999999999999");  // 2^64 is 18446744073709551616
            }
        }
        writeFile(file, huge);
        break;
    }
    }
}

// Puts text back as the file, readable by everyone again.
inline void repairFile(const std::filesystem::path& file, std::string_view text) {
    writeFile(file, text);
    using std::filesystem::perms;
    std::filesystem::permissions(
        file, perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
}

// While it lives, the calling thread's file accesses are checked as those of nobody (65534), so
// that a file's mode denies them also in a test run as root: a filesystem uid other than 0 drops
// CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH from the thread's effective capabilities, and going
// back to 0 restores them. Other threads keep their own. Without root it changes nothing, and
// the modes hold anyway.
class UnprivilegedFiles {
public:
    UnprivilegedFiles() : previous_(setfsuid(nobody)) {}
    ~UnprivilegedFiles() { setfsuid(static_cast<uid_t>(previous_)); }
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;

private:
    static constexpr uid_t nobody = 65534;
    int previous_;
};

// Whether a file of mode 000 in folder is refused inside UnprivilegedFiles. It is not where the
// filesystem uid cannot be changed (no CAP_SETUID) while the process still bypasses modes.
inline bool modesDenyHere(const std::filesystem::path& folder) {
    const std::filesystem::path probe = folder / "unreadable-probe";
    writeFile(probe, "x");
    std::filesystem::permissions(probe, std::filesystem::perms::none);
    int descriptor = -1;
    int error = 0;
    {
        const UnprivilegedFiles user;
        descriptor = ::open(probe.c_str(), O_RDONLY | O_CLOEXEC);
        error = errno;
    }
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    std::filesystem::remove(probe);
    return descriptor < 0 && error == EACCES;
}

}  // namespace vantric::testing
