#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vantric {

// The installed memory of a Linux machine, from the memory blocks of
// /sys/devices/system/memory: the kernel cuts the physical memory it found into blocks of one
// size (128 MiB on most PCs, up to 2 GiB on large ones), each online or offline. Online blocks
// times the block size is what lsmem calls the total online memory: for a 16 GiB laptop 16 GiB,
// where MemTotal is about 15.5 GiB (the firmware's reservations and the kernel's own image
// are not managed memory).

// Text of block_size_bytes (hexadecimal, without "0x", and a newline) -> bytes. Absent for
// anything else, and for a size that is no power of two from 1 MiB to 1 TiB (garbage).
std::optional<std::uint64_t> parseMemoryBlockSize(std::string_view text);

// Text of memoryN/state -> whether the block is online: "online" is; "offline" and
// "going-offline" are not. Absent for any other text, or one without its newline.
std::optional<bool> parseMemoryBlockOnline(std::string_view text);

// The bytes of the online blocks under folder ("/sys/devices/system/memory"). Absent when the
// block size or any block's state cannot be read, or no block is online: a half-read list would
// understate the memory, and the caller's fallback is better than that.
std::optional<std::uint64_t> readOnlineMemory(const std::filesystem::path& folder);

}  // namespace vantric
