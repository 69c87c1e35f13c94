#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "app/store/process_sampler.hpp"
#include "app/store/reading.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// One reading as one line of JSON, without the newline:
// {"date": <seconds since the Unix epoch>, "cpu": {...}, "memory": {...}, "gpu": {...},
//  "apps": [{"id", "name", "bundlePath" (or null), "icon" (or null), "cpu", "memory",
//            "processCount", "gpu" (or null), "gpuMemory" (or null)}, ...],
//  "processCount": n, "readableProcessCount": n}
// with the apps sorted by processor use, the busiest first. Nothing when a record cannot be
// encoded. Names the kernel holds as bytes that are not UTF-8 are written with U+FFFD in place of
// each bad sequence.
std::optional<std::string> readingLine(const Reading& reading);

// Primes both samplers' baselines, then once a second writes a reading line to output and
// flushes it, until count lines are written (forever without one) or output fails.
// Returns the process exit status: 0, or 1 when writing failed.
int runJsonLines(SystemSampler& system, ProcessSampler& processes,
                 std::optional<std::uint64_t> count, std::FILE* output);

}  // namespace vantric
