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
// The GPU record's memoryKind, device and ownProcessesOnly are the exception: history stored
// before they existed lacks them, so a missing one takes its field's default.

// Fails (unencodable) on a NaN or infinite fraction, which JSON cannot hold.
JsonResult<Json> toJson(const CPUSnapshot& cpu);
Json toJson(const MemorySnapshot& memory);
// memoryKind as "video", "system" or "both", and null for none.
JsonResult<Json> toJson(const GPUSnapshot& gpu);
// The raw value, a bare integer.
Json toJson(MemoryPressure pressure);

JsonResult<CPUSnapshot> cpuSnapshotFromJson(const Json& json);
JsonResult<MemorySnapshot> memorySnapshotFromJson(const Json& json);
// A memoryKind text other than the three is corruptData.
JsonResult<GPUSnapshot> gpuSnapshotFromJson(const Json& json);
// An integer 1, 2 or 4; any other integer is corruptData.
JsonResult<MemoryPressure> memoryPressureFromJson(const Json& json);

}  // namespace vantric
