#include "app/store/json_lines.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"
#include "core/record_json.hpp"
#include "support/fake_host.hpp"

namespace vantric {
namespace {

TEST(ReadingLine, HoldsDateAndTheThreeRecordsInOrder) {
    const CPUSnapshot cpu{0.5, 0.25, 0.25, {0.5, 0.5}};
    const MemorySnapshot memory{.total = 100, .app = 10, .pressure = MemoryPressure::warning};
    const GPUSnapshot gpu{.available = true, .utilization = 0.75};
    const auto line = readingLine(1796600000.25, cpu, memory, gpu);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->starts_with(R"({"date":1796600000.25,"cpu":{)")) << *line;
    const Json json = parseJson(*line).value();
    EXPECT_EQ(json.begin().key(), "date");
    EXPECT_EQ(cpuSnapshotFromJson(json.at("cpu")).value(), cpu);
    EXPECT_EQ(memorySnapshotFromJson(json.at("memory")).value(), memory);
    EXPECT_EQ(gpuSnapshotFromJson(json.at("gpu")).value(), gpu);
    EXPECT_FALSE(readingLine(0, {.perCore = {std::nan("")}}, memory, gpu));
}

TEST(JsonLines, PrimesTheBaselineThenWritesOneFlushedLinePerReading) {
    auto host = std::make_shared<testing::FakeHost::State>();
    host->tickReadings = {{ProcessorTicks{.processor = 0}},
                          {ProcessorTicks{.processor = 0, .user = 30, .idle = 70}}};
    SystemSampler sampler(std::make_unique<testing::FakeHost>(host));
    std::FILE* output = std::tmpfile();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(runJsonLines(sampler, 1, output), 0);
    std::rewind(output);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), output));
    EXPECT_EQ(std::fclose(output), 0);

    EXPECT_EQ(text.find('\n'), text.size() - 1);
    // Measured against the primed baseline, not a first-sample 0.
    EXPECT_DOUBLE_EQ(cpuSnapshotFromJson(parseJson(text).value().at("cpu")).value().user, 0.3);

    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(runJsonLines(sampler, 1, full), 1);
    static_cast<void>(std::fclose(full));
}

}  // namespace
}  // namespace vantric
