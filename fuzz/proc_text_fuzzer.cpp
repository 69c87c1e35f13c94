// The files of /proc that describe the whole machine and the attributes of /sys. Every parser
// reads the same input: a captured file seeds the parser it belongs to, and the others see a shape
// they do not expect, which they must refuse without harm.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_check.hpp"
#include "platform/linux/boot_time.hpp"
#include "platform/linux/cpu_list.hpp"
#include "platform/linux/cpuinfo.hpp"
#include "platform/linux/meminfo.hpp"
#include "platform/linux/memory_blocks.hpp"
#include "platform/linux/memory_mapping.hpp"
#include "platform/linux/pci_ids.hpp"
#include "platform/linux/pressure.hpp"
#include "platform/linux/proc_stat.hpp"
#include "platform/linux/processor_levels.hpp"
#include "platform/linux/swaps.hpp"
#include "platform/linux/text_fields.hpp"
#include "platform/linux/zoneinfo.hpp"
#include "platform/linux/zram.hpp"

namespace vantric {
namespace {

constexpr std::uint64_t largestCount = std::numeric_limits<std::uint64_t>::max();

void fuzzProcStat(std::string_view text) {
    const auto ticks = parseProcStat(text);
    for (std::size_t index = 1; index < ticks.size(); ++index) {
        fuzzCheck(ticks[index - 1].processor < ticks[index].processor, "processors ascend");
    }
    if (const auto booted = parseBootTime(text)) {
        fuzzCheck(*booted >= 0, "the boot time is not before 1970");
    }
}

// What the host does with meminfo: kB to bytes, and the mapping to the sampler's page counts,
// which it multiplies by the page size.
void fuzzMeminfo(std::string_view text, std::uint64_t zramBytes, std::uint64_t perCpuFreeBytes) {
    const Meminfo info = parseMeminfo(text);
    for (const auto& line : {info.memTotal, info.memFree, info.memAvailable, info.buffers,
                             info.cached, info.anonPages, info.shmem, info.kReclaimable,
                             info.sReclaimable, info.swapTotal, info.swapFree, info.zswap}) {
        fuzzCheck(!line || *line <= largestCount / 1024, "a meminfo line fits in bytes");
    }
    if (const auto pages = vmPageCountsFromMeminfo(info, zramBytes, perCpuFreeBytes)) {
        for (const std::uint64_t count : {pages->wired, pages->purgeable, pages->compressor,
                                          pages->external, pages->internal}) {
            fuzzCheck(count <= largestCount / pages->pageSize, "a page count fits in bytes");
        }
        fuzzCheck(pages->internal + pages->compressor + pages->wired <= *info.memTotal,
                  "memory in use is within the total");
    }
    if (const auto swap = swapUsageFromMeminfo(info)) {
        fuzzCheck(swap->used <= swap->total, "swap in use is within the total");
    }
    static_cast<void>(pressureLevelFromAvailable(info));
}

// The per-CPU free pages, in bytes at the largest page size Linux has (64 KiB).
std::uint64_t fuzzZoneinfo(std::string_view text) {
    const auto pages = parsePerCpuFreePages(text);
    fuzzCheck(!pages || *pages <= largestCount / 65536, "the per-CPU free pages fit in bytes");
    return pages.value_or(0) * 65536;
}

void fuzzPressure(std::string_view text) {
    if (const auto stall = parsePressure(text)) {
        for (const double share : {stall->someAvg10, stall->fullAvg10}) {
            fuzzCheck(std::isfinite(share) && share >= 0 && share <= 100,
                      "a stall share is a percentage");
        }
        static_cast<void>(pressureLevelFromStall(*stall));
    }
}

void fuzzCpuinfo(std::string_view text) {
    const Cpuinfo info = parseCpuinfo(text);
    fuzzCheck(
        info.processors <= static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
        "at most one processor per line");
    if (const auto& name = info.modelName) {
        fuzzCheck(!name->empty() && name->front() != ' ' && name->back() != ' ' &&
                      name->find("  ") == std::string::npos &&
                      name->find('\t') == std::string::npos,
                  "the model name is trimmed, its blanks collapsed");
    }
}

// The online list, the hybrid PMUs' lists and the capacities are what the processor levels are
// read from.
void fuzzProcessorLists(std::string_view text) {
    if (const auto processors = parseCpuList(text)) {
        for (std::size_t index = 0; index < processors->size(); ++index) {
            fuzzCheck((*processors)[index] <= 65535, "a processor number is bounded");
            fuzzCheck(index == 0 || (*processors)[index - 1] < (*processors)[index],
                      "processors ascend, each once");
        }
        const auto levels = levelsFromHybridLists(*processors, *processors, processors);
        fuzzCheck(levels.has_value() != processors->empty() &&
                      (!levels || (std::cmp_equal(levels->performance, processors->size()) &&
                                   std::cmp_equal(levels->efficiency, processors->size()))),
                  "the levels count the online processors of each kind");
    }
    std::vector<std::uint64_t> capacities;
    forEachCompleteLine(text, [&](std::string_view line) {
        if (const auto capacity = parseAttributeNumber(line)) {
            capacities.push_back(*capacity);
        }
        return true;
    });
    if (const auto levels = levelsFromCapacities(capacities)) {
        fuzzCheck(levels->performance > 0 && levels->efficiency > 0 &&
                      std::cmp_equal(levels->performance + levels->efficiency, capacities.size()),
                  "the levels share the processors out");
    }
}

void fuzzNumbers(std::string_view text) {
    if (const auto number = parseUnsigned(text)) {
        fuzzCheck(parseUnsigned(std::to_string(*number)) == number, "a number reads back");
    }
    if (const auto fraction = parseDecimal(text)) {
        fuzzCheck(std::isfinite(*fraction), "a decimal fraction is finite");
    }
    static_cast<void>(parseAttributeNumber(text));
    static_cast<void>(parseZramMemoryUsed(text));
    static_cast<void>(parseMemoryBlockOnline(text));
    if (const auto blockSize = parseMemoryBlockSize(text)) {
        fuzzCheck(std::has_single_bit(*blockSize) && *blockSize <= (std::uint64_t{1} << 40),
                  "a memory block is a power of two of at most a TiB");
    }
}

void fuzzSwaps(std::string_view text) {
    if (const auto used = parseSwapsUsedKilobytes(text)) {
        fuzzCheck(*used <= largestKilobytes, "the swap in use fits in bytes");
    }
}

// The ids of the fixtures' cards, and the vendor and device of the input when it is a PCI id.
void fuzzPciIds(std::string_view text) {
    const auto id = parsePciId(text);
    const std::array<std::pair<std::uint16_t, std::uint16_t>, 3> cards{
        {{0x8086, 0x4680}, {0x1002, 0x73bf}, {id.value_or(0), id.value_or(0)}}};
    for (const auto& [vendor, device] : cards) {
        if (const auto name = pciDeviceName(text, vendor, device)) {
            fuzzCheck(!name->empty() && name->find('\n') == std::string::npos &&
                          text.find(*name) != std::string_view::npos,
                      "a device name is one line of the database");
        }
    }
}

}  // namespace
}  // namespace vantric

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantric;
    const std::string_view text = fuzzText(data, size);
    fuzzProcStat(text);
    fuzzMeminfo(text, parseZramMemoryUsed(text).value_or(0), fuzzZoneinfo(text));
    fuzzPressure(text);
    fuzzCpuinfo(text);
    fuzzProcessorLists(text);
    fuzzNumbers(text);
    fuzzPciIds(text);
    fuzzSwaps(text);
    return 0;
}
