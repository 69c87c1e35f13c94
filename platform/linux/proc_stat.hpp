#pragma once

#include <string_view>
#include <vector>

#include "platform/host.hpp"

namespace vantric {

// Text of /proc/stat -> ticks per online processor, from its cpuN lines, folded into the four
// counters the sampler knows:
//   user   = user                          (guest time is already inside it)
//   nice   = nice                          (guest_nice likewise)
//   system = system + irq + softirq + steal
//   idle   = idle + iowait                 (waiting for a disk is not work)
//
// An offline processor has no line: it is absent from the result, which is then one shorter,
// and the processors after it keep their numbers. The sampler keys its baselines by number, so
// their loads stay right; the offline processor's entry in the per-processor list is gone and the
// later entries move up one place. When it comes back it reads 0 for one reading, then its load.
//
// The result is empty when the text is not a whole, well-formed processor block: a cpuN line
// with a field that is not a number, fewer than four counters, processor numbers out of order, no
// processor line at all, or a file that ends inside the block (the kernel always writes other
// lines after it). So a half-read file never yields a reading.
std::vector<ProcessorTicks> parseProcStat(std::string_view text);

}  // namespace vantric
