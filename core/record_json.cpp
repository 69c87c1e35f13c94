#include "core/record_json.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "core/json_fields.hpp"

namespace vantric {

namespace {

// Decodes each field in turn and stops at the first one that fails.
#define VANTRIC_TRY_FIELD(target, expression)  \
    do {                                       \
        auto decoded = (expression);           \
        if (!decoded) {                        \
            return decoded.error();            \
        }                                      \
        (target) = std::move(decoded).value(); \
    } while (false)

// A bare integer 1, 2 or 4; errors name key.
JsonResult<MemoryPressure> pressureValue(const Json& value, const char* key) {
    const auto raw = integerValue(value);
    if (!raw) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = key};
    }
    const auto pressure = memoryPressureFromRaw(*raw);
    if (!pressure) {
        return JsonError{.kind = JsonError::Kind::corruptData, .key = key};
    }
    return *pressure;
}

JsonResult<MemoryPressure> pressureMember(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        return JsonError{.kind = JsonError::Kind::missingKey, .key = key};
    }
    return pressureValue(*found, key);
}

constexpr std::array<std::pair<GpuMemoryKind, const char*>, 3> memoryKindNames{
    {{GpuMemoryKind::video, "video"},
     {GpuMemoryKind::system, "system"},
     {GpuMemoryKind::both, "both"}}};

Json memoryKindJson(GpuMemoryKind kind) {
    for (const auto& [named, name] : memoryKindNames) {
        if (named == kind) {
            return Json(name);
        }
    }
    return Json(nullptr);
}

JsonResult<GpuMemoryKind> memoryKindValue(const Json& value, const char* key) {
    if (value.is_null()) {
        return GpuMemoryKind::none;
    }
    if (!value.is_string()) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = key};
    }
    for (const auto& [kind, name] : memoryKindNames) {
        if (value.get_ref<const std::string&>() == name) {
            return kind;
        }
    }
    return JsonError{.kind = JsonError::Kind::corruptData, .key = key};
}

JsonResult<std::string> stringValue(const Json& value, const char* key) {
    if (!value.is_string()) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = key};
    }
    return value.get<std::string>();
}

JsonResult<bool> boolValue(const Json& value, const char* key) {
    if (!value.is_boolean()) {
        return JsonError{.kind = JsonError::Kind::typeMismatch, .key = key};
    }
    return value.get<bool>();
}

// A key that older records lack: its value when present, else fallback.
template <typename T>
JsonResult<T> optionalMember(const Json& object, const char* key, T fallback,
                             JsonResult<T> (*read)(const Json&, const char*)) {
    const auto found = object.find(key);
    return found == object.end() ? JsonResult<T>(std::move(fallback)) : read(*found, key);
}

JsonError notAnObject() {
    return JsonError{.kind = JsonError::Kind::typeMismatch, .key = {}};
}

}  // namespace

JsonResult<Json> toJson(const CPUSnapshot& cpu) {
    Json json = Json::object();
    const std::array<std::pair<const char*, double>, 3> fractions{
        {{"total", cpu.total}, {"user", cpu.user}, {"system", cpu.system}}};
    for (const auto& [key, value] : fractions) {
        auto number = finiteNumber(value, key);
        if (!number) {
            return number.error();
        }
        json[key] = std::move(number).value();
    }
    Json perCore = Json::array();
    for (const double load : cpu.perCore) {
        auto number = finiteNumber(load, "perCore");
        if (!number) {
            return number.error();
        }
        perCore.push_back(std::move(number).value());
    }
    json["perCore"] = std::move(perCore);
    return json;
}

Json toJson(const MemorySnapshot& memory) {
    Json json = Json::object();
    json["total"] = memory.total;
    json["app"] = memory.app;
    json["wired"] = memory.wired;
    json["compressed"] = memory.compressed;
    json["cached"] = memory.cached;
    json["swapUsed"] = memory.swapUsed;
    json["swapTotal"] = memory.swapTotal;
    json["pressure"] = toJson(memory.pressure);
    return json;
}

JsonResult<Json> toJson(const GPUSnapshot& gpu) {
    Json json = Json::object();
    json["available"] = gpu.available;
    // The record always holds all three numbers, as its readers expect; a figure the driver does
    // not publish is written as 0.
    const std::array<std::pair<const char*, double>, 3> fractions{
        {{"utilization", gpu.utilization},
         {"renderer", gpu.renderer.value_or(0)},
         {"tiler", gpu.tiler.value_or(0)}}};
    for (const auto& [key, value] : fractions) {
        auto number = finiteNumber(value, key);
        if (!number) {
            return number.error();
        }
        json[key] = std::move(number).value();
    }
    json["memoryInUse"] = gpu.memoryInUse;
    json["memoryAllocated"] = gpu.memoryAllocated;
    json["memoryKind"] = memoryKindJson(gpu.memoryKind);
    json["device"] = gpu.device;
    json["ownProcessesOnly"] = gpu.ownProcessesOnly;
    return json;
}

Json toJson(MemoryPressure pressure) {
    return Json(rawValue(pressure));
}

JsonResult<CPUSnapshot> cpuSnapshotFromJson(const Json& json) {
    if (!json.is_object()) {
        return notAnObject();
    }
    CPUSnapshot cpu;
    VANTRIC_TRY_FIELD(cpu.total, requireDouble(json, "total"));
    VANTRIC_TRY_FIELD(cpu.user, requireDouble(json, "user"));
    VANTRIC_TRY_FIELD(cpu.system, requireDouble(json, "system"));
    VANTRIC_TRY_FIELD(cpu.perCore, requireDoubleArray(json, "perCore"));
    return cpu;
}

JsonResult<MemorySnapshot> memorySnapshotFromJson(const Json& json) {
    if (!json.is_object()) {
        return notAnObject();
    }
    MemorySnapshot memory;
    VANTRIC_TRY_FIELD(memory.total, requireUnsigned(json, "total"));
    VANTRIC_TRY_FIELD(memory.app, requireUnsigned(json, "app"));
    VANTRIC_TRY_FIELD(memory.wired, requireUnsigned(json, "wired"));
    VANTRIC_TRY_FIELD(memory.compressed, requireUnsigned(json, "compressed"));
    VANTRIC_TRY_FIELD(memory.cached, requireUnsigned(json, "cached"));
    VANTRIC_TRY_FIELD(memory.swapUsed, requireUnsigned(json, "swapUsed"));
    VANTRIC_TRY_FIELD(memory.swapTotal, requireUnsigned(json, "swapTotal"));
    VANTRIC_TRY_FIELD(memory.pressure, pressureMember(json, "pressure"));
    return memory;
}

JsonResult<GPUSnapshot> gpuSnapshotFromJson(const Json& json) {
    if (!json.is_object()) {
        return notAnObject();
    }
    GPUSnapshot gpu;
    VANTRIC_TRY_FIELD(gpu.available, requireBool(json, "available"));
    VANTRIC_TRY_FIELD(gpu.utilization, requireDouble(json, "utilization"));
    VANTRIC_TRY_FIELD(gpu.renderer, requireDouble(json, "renderer"));
    VANTRIC_TRY_FIELD(gpu.tiler, requireDouble(json, "tiler"));
    VANTRIC_TRY_FIELD(gpu.memoryInUse, requireUnsigned(json, "memoryInUse"));
    VANTRIC_TRY_FIELD(gpu.memoryAllocated, requireUnsigned(json, "memoryAllocated"));
    VANTRIC_TRY_FIELD(gpu.memoryKind,
                      optionalMember(json, "memoryKind", GpuMemoryKind::none, memoryKindValue));
    VANTRIC_TRY_FIELD(gpu.device, optionalMember(json, "device", std::string(), stringValue));
    VANTRIC_TRY_FIELD(gpu.ownProcessesOnly,
                      optionalMember(json, "ownProcessesOnly", false, boolValue));
    return gpu;
}

JsonResult<MemoryPressure> memoryPressureFromJson(const Json& json) {
    return pressureValue(json, "");
}

#undef VANTRIC_TRY_FIELD

}  // namespace vantric
