#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// One reading as one line of JSON, without the newline:
// {"date": <seconds since the Unix epoch>, "cpu": {...}, "memory": {...}, "gpu": {...}}.
// Nothing when a record cannot be encoded.
std::optional<std::string> readingLine(double date, const CPUSnapshot& cpu,
                                       const MemorySnapshot& memory, const GPUSnapshot& gpu);

// Primes the sampler's CPU baseline, then once a second writes a reading line to output and
// flushes it, until count lines are written (forever without one) or output fails.
// Returns the process exit status: 0, or 1 when writing failed.
int runJsonLines(SystemSampler& sampler, std::optional<std::uint64_t> count, std::FILE* output);

}  // namespace vantric
