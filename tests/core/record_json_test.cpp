#include "core/record_json.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"

namespace vantric {
namespace {

Json parsed(const char* text) {
    return parseJson(text).value();
}

TEST(RecordJson, EncodesKeysInFieldOrder) {
    const CPUSnapshot cpu{.total = 0.5, .user = 0.25, .system = 0.25, .perCore = {0.5, 1}};
    EXPECT_EQ(toJson(cpu).value().dump(),
              R"({"total":0.5,"user":0.25,"system":0.25,"perCore":[0.5,1.0]})");

    const MemorySnapshot memory{.total = 8,
                                .app = 1,
                                .wired = 2,
                                .compressed = 3,
                                .cached = 4,
                                .swapUsed = 5,
                                .swapTotal = 6,
                                .pressure = MemoryPressure::critical};
    EXPECT_EQ(toJson(memory).dump(),
              R"({"total":8,"app":1,"wired":2,"compressed":3,"cached":4,"swapUsed":5,)"
              R"("swapTotal":6,"pressure":4})");

    const GPUSnapshot gpu{.available = true,
                          .utilization = 0.5,
                          .renderer = 0.25,
                          .tiler = 0,
                          .memoryInUse = 7,
                          .memoryAllocated = 9};
    EXPECT_EQ(toJson(gpu).value().dump(),
              R"({"available":true,"utilization":0.5,"renderer":0.25,"tiler":0.0,)"
              R"("memoryInUse":7,"memoryAllocated":9})");
}

TEST(RecordJson, ZeroMemoryEncodesPressureAsNormalsRawValue) {
    EXPECT_EQ(toJson(MemorySnapshot{})["pressure"], Json(1));
    EXPECT_EQ(toJson(MemoryPressure::warning), Json(2));
}

TEST(RecordJson, RecordsSurviveTextRoundTripExactly) {
    const CPUSnapshot cpu{.total = 0.47368421052631576,
                          .user = 0.3684210526315789,
                          .system = 0.10526315789473684,
                          .perCore = {}};
    const MemorySnapshot memory{.total = std::numeric_limits<std::uint64_t>::max(),
                                .app = 7864320000,
                                .wired = 1638400000,
                                .compressed = 819200000,
                                .cached = 3604480000,
                                .swapUsed = 1,
                                .swapTotal = 0,
                                .pressure = MemoryPressure::warning};
    const GPUSnapshot gpu{.available = true,
                          .utilization = 1,
                          .renderer = 0.26,
                          .tiler = 0.25,
                          .memoryInUse = 1100000000,
                          .memoryAllocated = 0};

    EXPECT_EQ(cpuSnapshotFromJson(parseJson(toJson(cpu).value().dump()).value()).value(), cpu);
    EXPECT_EQ(memorySnapshotFromJson(parseJson(toJson(memory).dump()).value()).value(), memory);
    EXPECT_EQ(gpuSnapshotFromJson(parseJson(toJson(gpu).value().dump()).value()).value(), gpu);
}

TEST(RecordJson, IgnoresUnknownKeysAndAcceptsIntegersForFractions) {
    const auto cpu =
        cpuSnapshotFromJson(parsed(R"({"perCore":[1],"system":0,"user":1,"total":1,"extra":"x"})"));
    ASSERT_TRUE(cpu);
    EXPECT_EQ(cpu.value(), (CPUSnapshot{.total = 1, .user = 1, .system = 0, .perCore = {1}}));
}

TEST(RecordJson, RefusesToEncodeNumbersJsonCannotHold) {
    const CPUSnapshot nanTotal{.total = std::nan(""), .user = 0, .system = 0, .perCore = {}};
    const CPUSnapshot infiniteCore{
        .total = 0, .user = 0, .system = 0, .perCore = {std::numeric_limits<double>::infinity()}};
    const GPUSnapshot nanTiler{.available = true,
                               .utilization = 0,
                               .renderer = 0,
                               .tiler = std::nan(""),
                               .memoryInUse = 0,
                               .memoryAllocated = 0};
    EXPECT_EQ(toJson(nanTotal).error(),
              (JsonError{.kind = JsonError::Kind::unencodable, .key = "total"}));
    EXPECT_EQ(toJson(infiniteCore).error().key, "perCore");
    EXPECT_EQ(toJson(nanTiler).error().key, "tiler");
}

struct DecodeFailure {
    const char* name;
    const char* record;  // "cpu", "memory", "gpu"
    std::string text;
    JsonError::Kind kind;
    const char* key;

    friend void PrintTo(const DecodeFailure& row, std::ostream* out) { *out << row.name; }
};

class RecordDecodeFailures : public ::testing::TestWithParam<DecodeFailure> {};

TEST_P(RecordDecodeFailures, FailsAsAValueNamingTheFault) {
    const DecodeFailure& row = GetParam();
    const Json json = parsed(row.text.c_str());
    const std::string record = row.record;
    JsonError error;
    if (record == "cpu") {
        const auto result = cpuSnapshotFromJson(json);
        ASSERT_FALSE(result);
        error = result.error();
    } else if (record == "memory") {
        const auto result = memorySnapshotFromJson(json);
        ASSERT_FALSE(result);
        error = result.error();
    } else {
        const auto result = gpuSnapshotFromJson(json);
        ASSERT_FALSE(result);
        error = result.error();
    }
    EXPECT_EQ(error.kind, row.kind);
    EXPECT_EQ(error.key, row.key);
}

// A memory record whose other counts are valid.
std::string memoryWith(const std::string& total, const std::string& pressure) {
    return R"({"total":)" + total +
           R"(,"app":1,"wired":1,"compressed":1,"cached":1,"swapUsed":1,"swapTotal":1,)" +
           R"("pressure":)" + pressure + "}";
}

using Kind = JsonError::Kind;

INSTANTIATE_TEST_SUITE_P(
    Records, RecordDecodeFailures,
    ::testing::Values(
        DecodeFailure{"cpuMissingPerCore", "cpu", R"({"total":0,"user":0,"system":0})",
                      Kind::missingKey, "perCore"},
        DecodeFailure{"cpuTextTotal", "cpu", R"({"total":"0","user":0,"system":0,"perCore":[]})",
                      Kind::typeMismatch, "total"},
        DecodeFailure{"cpuPerCoreNotArray", "cpu",
                      R"({"total":0,"user":0,"system":0,"perCore":0.5})", Kind::typeMismatch,
                      "perCore"},
        DecodeFailure{"cpuPerCoreWithNull", "cpu",
                      R"({"total":0,"user":0,"system":0,"perCore":[0.5,null]})", Kind::typeMismatch,
                      "perCore"},
        DecodeFailure{"cpuNotAnObject", "cpu", "[0,0,0,[]]", Kind::typeMismatch, ""},
        DecodeFailure{"memoryFractionalTotal", "memory", memoryWith("1.5", "1"), Kind::typeMismatch,
                      "total"},
        DecodeFailure{"memoryWholeFractionTotal", "memory", memoryWith("1.0", "1"),
                      Kind::typeMismatch, "total"},
        DecodeFailure{"memoryExponentTotal", "memory", memoryWith("1e3", "1"), Kind::typeMismatch,
                      "total"},
        DecodeFailure{"memoryNegativeTotal", "memory", memoryWith("-1", "1"), Kind::typeMismatch,
                      "total"},
        DecodeFailure{"memoryTotalBeyond64Bits", "memory", memoryWith("18446744073709551616", "1"),
                      Kind::typeMismatch, "total"},
        DecodeFailure{"memoryPressureZero", "memory", memoryWith("1", "0"), Kind::corruptData,
                      "pressure"},
        DecodeFailure{"memoryPressureThree", "memory", memoryWith("1", "3"), Kind::corruptData,
                      "pressure"},
        DecodeFailure{"memoryPressureText", "memory", memoryWith("1", "\"1\""), Kind::typeMismatch,
                      "pressure"},
        DecodeFailure{"memoryPressureObject", "memory", memoryWith("1", "{\"rawValue\":1}"),
                      Kind::typeMismatch, "pressure"},
        DecodeFailure{"memoryPressureMissing", "memory",
                      R"({"total":1,"app":1,"wired":1,"compressed":1,"cached":1,"swapUsed":1,)"
                      R"("swapTotal":1})",
                      Kind::missingKey, "pressure"},
        DecodeFailure{"gpuMissingAvailable", "gpu",
                      R"({"utilization":0,"renderer":0,"tiler":0,"memoryInUse":0,)"
                      R"("memoryAllocated":0})",
                      Kind::missingKey, "available"},
        DecodeFailure{"gpuAvailableAsNumber", "gpu",
                      R"({"available":1,"utilization":0,"renderer":0,"tiler":0,)"
                      R"("memoryInUse":0,"memoryAllocated":0})",
                      Kind::typeMismatch, "available"},
        DecodeFailure{"gpuNegativeMemory", "gpu",
                      R"({"available":true,"utilization":0,"renderer":0,"tiler":0,)"
                      R"("memoryInUse":-5,"memoryAllocated":0})",
                      Kind::typeMismatch, "memoryInUse"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordJson, DecodesTheLargestCountAndEveryPressureLevel) {
    for (const auto& [raw, pressure] :
         {std::pair{1, MemoryPressure::normal}, std::pair{2, MemoryPressure::warning},
          std::pair{4, MemoryPressure::critical}}) {
        const std::string text = memoryWith("18446744073709551615", std::to_string(raw));
        const auto memory = memorySnapshotFromJson(parsed(text.c_str()));
        ASSERT_TRUE(memory) << text;
        EXPECT_EQ(memory.value().total, std::numeric_limits<std::uint64_t>::max());
        EXPECT_EQ(memory.value().pressure, pressure);
    }
}

TEST(RecordJson, BarePressureDecodesOnlyFromOneTwoOrFour) {
    EXPECT_EQ(memoryPressureFromJson(Json(4)).value(), MemoryPressure::critical);
    EXPECT_EQ(memoryPressureFromJson(Json(2)).value(), MemoryPressure::warning);
    EXPECT_EQ(memoryPressureFromJson(Json(1)).value(), MemoryPressure::normal);
    for (const Json& bad : {Json(0), Json(3), Json(8), Json(-1), Json(1.0), Json("2")}) {
        EXPECT_FALSE(memoryPressureFromJson(bad)) << bad.dump();
    }
}

TEST(RecordJson, NonFiniteNumbersInABuiltValueDoNotDecode) {
    Json gpu = toJson(GPUSnapshot{}).value();
    gpu["utilization"] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(gpuSnapshotFromJson(gpu).error(),
              (JsonError{.kind = JsonError::Kind::corruptData, .key = "utilization"}));
    Json cpu = toJson(CPUSnapshot{}).value();
    cpu["perCore"] = Json::array({0.5, std::nan("")});
    EXPECT_EQ(cpuSnapshotFromJson(cpu).error().key, "perCore");
}

TEST(RecordJson, MalformedTextIsAResultNotAnException) {
    for (const char* text : {"", "{", R"({"total":)", "nul", "{} {}", "\xff\xfe", "1e999"}) {
        const auto result = parseJson(text);
        ASSERT_FALSE(result) << text;
        EXPECT_EQ(result.error().kind, JsonError::Kind::malformedText);
    }
}

}  // namespace
}  // namespace vantric
