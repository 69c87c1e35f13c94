#include "app/store/json_lines.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"
#include "core/record_json.hpp"
#include "support/fake_host.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

const CPUSnapshot someCPU{.total = 0.5, .user = 0.25, .system = 0.25, .perCore = {0.5, 0.5}};
const MemorySnapshot someMemory{
    .total = 100, .app = 10, .wired = 5, .pressure = MemoryPressure::warning};
const GPUSnapshot someGPU{.available = true, .utilization = 0.75};

TEST(ReadingLine, HoldsDateAndTheThreeRecordsInTheirJsonForm) {
    const auto line = readingLine(1796600000.25, someCPU, someMemory, someGPU);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->starts_with(R"({"date":1796600000.25,"cpu":{)")) << *line;
    EXPECT_EQ(line->find('\n'), std::string::npos);

    const Json json = parseJson(*line).value();
    EXPECT_EQ(cpuSnapshotFromJson(json["cpu"]).value(), someCPU);
    EXPECT_EQ(memorySnapshotFromJson(json["memory"]).value(), someMemory);
    EXPECT_EQ(gpuSnapshotFromJson(json["gpu"]).value(), someGPU);
    const std::vector<std::string> keys{"date", "cpu", "memory", "gpu"};
    std::vector<std::string> order;
    for (const auto& [key, value] : json.items()) {
        order.push_back(key);
    }
    EXPECT_EQ(order, keys);
}

TEST(ReadingLine, ARecordJsonCannotHoldGivesNoLine) {
    CPUSnapshot broken = someCPU;
    broken.perCore.push_back(std::nan(""));
    EXPECT_FALSE(readingLine(0, broken, someMemory, someGPU));
}

TEST(JsonLines, PrimesTheBaselineThenWritesTheCountedLines) {
    auto host = std::make_shared<testing::FakeHost::State>();
    host->tickReadings.push_back({ProcessorTicks{.processor = 0}});
    host->tickReadings.push_back({ProcessorTicks{.processor = 0, .user = 30, .idle = 70}});
    SystemSampler sampler(std::make_unique<testing::FakeHost>(host));

    std::FILE* output = std::tmpfile();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(runJsonLines(sampler, 1, output), 0);
    std::rewind(output);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), output));
    EXPECT_EQ(std::fclose(output), 0);

    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line
    const Json json = parseJson(text).value();
    // The primed baseline makes the first line's figure the interval's, not a first-sample 0.
    EXPECT_DOUBLE_EQ(cpuSnapshotFromJson(json["cpu"]).value().user, 0.3);
    EXPECT_EQ(host->processorCalls, 2);
}

}  // namespace
}  // namespace vantric
