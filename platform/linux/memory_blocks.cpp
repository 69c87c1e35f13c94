#include "platform/linux/memory_blocks.hpp"

#include <bit>
#include <charconv>
#include <limits>

#include "platform/linux/device_directory.hpp"
#include "platform/linux/file_text.hpp"

namespace vantric {

namespace {

// Blocks are whole memory sections, a power of two of at least 16 MiB on every architecture; less
// than a MiB, or a TiB and more, is garbage.
constexpr std::uint64_t smallestBlockSize = std::uint64_t{1} << 20;
constexpr std::uint64_t largestBlockSize = std::uint64_t{1} << 40;

// sysfs ends every attribute with a newline: a text without it was cut short.
std::optional<std::string_view> withoutLineEnd(std::string_view text) {
    if (!text.ends_with('\n')) {
        return std::nullopt;
    }
    text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::uint64_t> parseMemoryBlockSize(std::string_view text) {
    const auto digits = withoutLineEnd(text);
    if (!digits || digits->empty()) {
        return std::nullopt;
    }
    std::uint64_t size = 0;
    const char* end = digits->data() + digits->size();
    const auto [stop, error] = std::from_chars(digits->data(), end, size, 16);
    if (error != std::errc{} || stop != end || size < smallestBlockSize ||
        size > largestBlockSize || !std::has_single_bit(size)) {
        return std::nullopt;
    }
    return size;
}

std::optional<bool> parseMemoryBlockOnline(std::string_view text) {
    const auto state = withoutLineEnd(text);
    if (state == "online") {
        return true;
    }
    if (state == "offline" || state == "going-offline") {
        return false;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> readOnlineMemory(const std::filesystem::path& folder) {
    const auto sizeText = readFileText(folder / "block_size_bytes");
    const auto blockSize = sizeText ? parseMemoryBlockSize(*sizeText) : std::nullopt;
    if (!blockSize) {
        return std::nullopt;
    }
    std::uint64_t online = 0;
    for (const std::filesystem::path& block : numberedEntries(folder, "memory")) {
        const auto state = readFileText(block / "state");
        const auto isOnline = state ? parseMemoryBlockOnline(*state) : std::nullopt;
        if (!isOnline) {
            return std::nullopt;
        }
        online += *isOnline ? 1 : 0;
    }
    if (online == 0 || online > std::numeric_limits<std::uint64_t>::max() / *blockSize) {
        return std::nullopt;
    }
    return online * *blockSize;
}

}  // namespace vantric
