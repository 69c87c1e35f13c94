#include "platform/linux/proc_file.hpp"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace vantric {

namespace {

constexpr std::size_t initialBufferSize = 4096;
// /proc/stat of a machine with thousands of processors and interrupts stays far below this; a
// file that does not is not one of ours.
constexpr std::size_t largestFile = std::size_t{16} << 20;

}  // namespace

bool regeneratesOnRead(int descriptor) {
    struct statfs filesystem {};
    if (fstatfs(descriptor, &filesystem) != 0) {
        return false;
    }
    return filesystem.f_type == PROC_SUPER_MAGIC || filesystem.f_type == SYSFS_MAGIC;
}

std::optional<std::string_view> readWhole(int descriptor, std::string& buffer) {
    if (buffer.empty()) {
        buffer.resize(initialBufferSize);
    }
    while (true) {
        const ssize_t count = pread(descriptor, buffer.data(), buffer.size(), 0);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        // A full buffer may hold only part of the file: read it again, whole, into a larger one.
        // Reading on from the offset instead could join two generations of the text.
        if (static_cast<std::size_t>(count) == buffer.size()) {
            if (buffer.size() >= largestFile) {
                return std::nullopt;
            }
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return std::string_view(buffer.data(), static_cast<std::size_t>(count));
    }
}

ProcFile::ProcFile(std::filesystem::path path) : path_(std::move(path)) {}

ProcFile::~ProcFile() {
    close();
}

ProcFile::ProcFile(ProcFile&& other) noexcept
    : path_(std::move(other.path_)),
      descriptor_(std::exchange(other.descriptor_, -1)),
      keepOpen_(other.keepOpen_),
      buffer_(std::move(other.buffer_)) {}

ProcFile& ProcFile::operator=(ProcFile&& other) noexcept {
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        descriptor_ = std::exchange(other.descriptor_, -1);
        keepOpen_ = other.keepOpen_;
        buffer_ = std::move(other.buffer_);
    }
    return *this;
}

std::optional<std::string_view> ProcFile::read() {
    if (descriptor_ < 0 && !open()) {
        return std::nullopt;
    }
    const auto text = readWhole(descriptor_, buffer_);
    if (!text || !keepOpen_) {
        close();
    }
    return text;
}

bool ProcFile::open() {
    do {
        descriptor_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    } while (descriptor_ < 0 && errno == EINTR);
    if (descriptor_ < 0) {
        return false;
    }
    keepOpen_ = regeneratesOnRead(descriptor_);
    return true;
}

void ProcFile::close() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

}  // namespace vantric
