#pragma once

#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/json_result.hpp"
#include "core/memory_pressure.hpp"
#include "core/memory_snapshot.hpp"

namespace vantric {

// The JSON form of the reading records: one object per record whose keys are exactly the field
// names, written in field order. Decoding is strict: every key is required, each value must have
// the JSON type of its field, unknown keys are ignored, and decoded values are used unchanged.

// Fails (unencodable) on a NaN or infinite fraction, which JSON cannot hold.
JsonResult<Json> toJson(const CPUSnapshot& cpu);
Json toJson(const MemorySnapshot& memory);
JsonResult<Json> toJson(const GPUSnapshot& gpu);
// The raw value, a bare integer.
Json toJson(MemoryPressure pressure);

JsonResult<CPUSnapshot> cpuSnapshotFromJson(const Json& json);
JsonResult<MemorySnapshot> memorySnapshotFromJson(const Json& json);
JsonResult<GPUSnapshot> gpuSnapshotFromJson(const Json& json);
// An integer 1, 2 or 4; any other integer is corruptData.
JsonResult<MemoryPressure> memoryPressureFromJson(const Json& json);

}  // namespace vantric
