#include "core/record_json.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"

namespace vantric {
namespace {

using Kind = JsonError::Kind;

Json parsed(const std::string& text) {
    return parseJson(text).value();
}

TEST(RecordJson, EncodesKeysInFieldOrderAndRoundTripsExactly) {
    const CPUSnapshot cpu{0.47368421052631576, 0.3684210526315789, 0.10526315789473684, {0.5, 1}};
    const MemorySnapshot memory{
        std::numeric_limits<std::uint64_t>::max(), 1, 2, 3, 4, 5, 6, MemoryPressure::critical};
    const GPUSnapshot gpu{true, 0.5, 0.25, 0, 7, 9, GpuMemoryKind::both, "0000:03:00.0", true};
    EXPECT_EQ(toJson(memory).dump(),
              R"({"total":18446744073709551615,"app":1,"wired":2,"compressed":3,"cached":4,)"
              R"("swapUsed":5,"swapTotal":6,"pressure":4})");
    EXPECT_EQ(toJson(gpu).value().dump(),
              R"({"available":true,"utilization":0.5,"renderer":0.25,"tiler":0.0,)"
              R"("memoryInUse":7,"memoryAllocated":9,"memoryKind":"both","device":"0000:03:00.0",)"
              R"("ownProcessesOnly":true})");
    // Without processors the record still holds an array, which the decoder demands.
    EXPECT_EQ(toJson(CPUSnapshot{}).value().dump(),
              R"({"total":0.0,"user":0.0,"system":0.0,"perCore":[]})");

    EXPECT_EQ(cpuSnapshotFromJson(parsed(toJson(cpu).value().dump())).value(), cpu);
    EXPECT_EQ(memorySnapshotFromJson(parsed(toJson(memory).dump())).value(), memory);
    EXPECT_EQ(gpuSnapshotFromJson(parsed(toJson(gpu).value().dump())).value(), gpu);
    for (const GpuMemoryKind kind :
         {GpuMemoryKind::none, GpuMemoryKind::video, GpuMemoryKind::system}) {
        const GPUSnapshot other{.available = true, .renderer = 0, .tiler = 0, .memoryKind = kind};
        EXPECT_EQ(gpuSnapshotFromJson(parsed(toJson(other).value().dump())).value(), other);
    }
    EXPECT_EQ(toJson(GPUSnapshot{}).value()["memoryKind"], Json(nullptr));
    EXPECT_EQ(memoryPressureFromJson(Json(2)).value(), MemoryPressure::warning);
    EXPECT_EQ(cpuSnapshotFromJson(parsed(R"({"perCore":[],"system":0,"user":1,"total":1,"x":""})"))
                  .value(),
              (CPUSnapshot{1, 1, 0, {}}));
}

template <typename Result>
JsonError failure(const Result& result) {
    return result ? JsonError{.kind = Kind::malformedText, .key = "(decoded)"} : result.error();
}

std::string memory(const std::string& total, const std::string& pressure) {
    return R"({"total":)" + total +
           R"(,"app":1,"wired":1,"compressed":1,"cached":1,"swapUsed":1,"swapTotal":1,)" +
           R"("pressure":)" + pressure + "}";
}

// A GPU record whose pipeline figures are 0 and memory 1 and 2 bytes; extra is its other keys.
std::string gpu(const std::string& extra) {
    return R"({"utilization":0,"renderer":0,"tiler":0,"memoryInUse":1,"memoryAllocated":2,)" +
           extra + "}";
}

TEST(RecordJson, DecodingFailsAsAValueNamingTheFault) {
    const std::tuple<std::string, Kind, const char*> cpuRows[] = {
        {R"({"total":0,"user":0,"system":0})", Kind::missingKey, "perCore"},
        {R"({"total":"0","user":0,"system":0,"perCore":[]})", Kind::typeMismatch, "total"},
        {R"({"total":0,"user":0,"system":0,"perCore":[null]})", Kind::typeMismatch, "perCore"},
        {"[0,0,0,[]]", Kind::typeMismatch, ""},
    };
    for (const auto& [text, kind, key] : cpuRows) {
        EXPECT_EQ(failure(cpuSnapshotFromJson(parsed(text))), (JsonError{kind, key})) << text;
    }
    // Byte counts are whole numbers from 0 to 2^64 - 1, written without a fraction.
    const std::tuple<std::string, Kind, const char*> memoryRows[] = {
        {memory("1.5", "1"), Kind::typeMismatch, "total"},
        {memory("1.0", "1"), Kind::typeMismatch, "total"},
        {memory("-1", "1"), Kind::typeMismatch, "total"},
        {memory("18446744073709551616", "1"), Kind::typeMismatch, "total"},
        {memory("1", "3"), Kind::corruptData, "pressure"},
        {memory("1", R"("1")"), Kind::typeMismatch, "pressure"},
        {memory("1", "1.0"), Kind::typeMismatch, "pressure"},
    };
    for (const auto& [text, kind, key] : memoryRows) {
        EXPECT_EQ(failure(memorySnapshotFromJson(parsed(text))), (JsonError{kind, key})) << text;
    }
    const std::tuple<std::string, Kind, const char*> gpuRows[] = {
        {gpu(R"("available":1)"), Kind::typeMismatch, "available"},
        {gpu(R"("available":true,"memoryKind":2)"), Kind::typeMismatch, "memoryKind"},
        {gpu(R"("available":true,"memoryKind":"shared")"), Kind::corruptData, "memoryKind"},
        {gpu(R"("available":true,"memoryKind":"Video")"), Kind::corruptData, "memoryKind"},
        {gpu(R"("available":true,"device":null)"), Kind::typeMismatch, "device"},
        {gpu(R"("available":true,"ownProcessesOnly":1)"), Kind::typeMismatch, "ownProcessesOnly"},
    };
    for (const auto& [text, kind, key] : gpuRows) {
        EXPECT_EQ(failure(gpuSnapshotFromJson(parsed(text))), (JsonError{kind, key})) << text;
    }
}

// Widget history written before the record named its device and memory still reads.
TEST(RecordJson, AGpuRecordWithoutItsNewerKeysTakesTheirDefaults) {
    const std::pair<std::string, GPUSnapshot> rows[] = {
        {gpu(R"("available":true)"), {true, 0, 0, 0, 1, 2, GpuMemoryKind::none, "", false}},
        {gpu(R"("available":true,"memoryKind":null,"device":"card1")"),
         {true, 0, 0, 0, 1, 2, GpuMemoryKind::none, "card1", false}},
        {gpu(R"("available":false,"memoryKind":"video","ownProcessesOnly":true)"),
         {false, 0, 0, 0, 1, 2, GpuMemoryKind::video, "", true}},
    };
    for (const auto& [text, expected] : rows) {
        const auto decoded = gpuSnapshotFromJson(parsed(text));
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(decoded.value(), expected) << text;
    }
}

// Numbers JSON cannot hold are refused when encoding and when decoding.
TEST(RecordJson, NonFiniteAndMalformedInputFailWithoutThrowing) {
    EXPECT_EQ(toJson(CPUSnapshot{.total = std::nan("")}).error(),
              (JsonError{.kind = Kind::unencodable, .key = "total"}));
    EXPECT_EQ(toJson(CPUSnapshot{.perCore = {std::numeric_limits<double>::infinity()}}).error().key,
              "perCore");
    EXPECT_EQ(toJson(GPUSnapshot{.tiler = std::nan("")}).error().key, "tiler");
    Json built = toJson(GPUSnapshot{}).value();
    built["utilization"] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(gpuSnapshotFromJson(built).error(),
              (JsonError{.kind = Kind::corruptData, .key = "utilization"}));
    for (const char* text : {"", "{", R"({"total":)", "nul", "{} {}", "\xff\xfe", "1e999"}) {
        const auto result = parseJson(text);
        ASSERT_FALSE(result) << text;
        EXPECT_EQ(result.error().kind, Kind::malformedText);
    }
}

}  // namespace
}  // namespace vantric
