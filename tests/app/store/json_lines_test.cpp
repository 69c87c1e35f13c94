#include "app/store/json_lines.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/json_fields.hpp"
#include "core/record_json.hpp"
#include "support/fake_host.hpp"
#include "support/fake_process_table.hpp"

namespace vantric {
namespace {

TEST(ReadingLine, HoldsDateRecordsAndAppsBusiestFirst) {
    Reading reading{
        .cpu = {0.5, 0.25, 0.25, {0.5, 0.5}},
        .memory = {.total = 100, .app = 10, .pressure = MemoryPressure::warning},
        .gpu = {.available = true, .utilization = 0.75},
        .processes = {.apps = {{.id = "app:org.example.Idle",
                                .name = "Idle",
                                .iconName = "org.example.Idle",
                                .iconPath = "/usr/share/icons/hicolor/scalable/apps/idle.svg"},
                               {.id = "/opt/Big.app",
                                .name = "Big",
                                .bundlePath = "/opt/Big.app",
                                .cpu = 150.5,
                                .memory = 2048,
                                .processCount = 3,
                                .gpu = 37.5,
                                .gpuMemory = 1024},
                               {.id = "process:bad\xff", .name = "bad\xff", .cpu = 20}},
                      .processCount = 7,
                      .readableProcessCount = 6},
        .date = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796600000250))};
    const auto line = readingLine(reading);
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->starts_with(R"({"date":1796600000.25,"cpu":{)")) << *line;
    const Json json = parseJson(*line).value();
    EXPECT_EQ(cpuSnapshotFromJson(json.at("cpu")).value(), reading.cpu);
    EXPECT_EQ(memorySnapshotFromJson(json.at("memory")).value(), reading.memory);
    // A pipeline figure the driver does not publish is written as 0.
    GPUSnapshot written = reading.gpu;
    written.renderer = written.tiler = 0;
    EXPECT_EQ(gpuSnapshotFromJson(json.at("gpu")).value(), written);
    EXPECT_EQ(json.at("processCount"), 7);
    EXPECT_EQ(json.at("readableProcessCount"), 6);

    const Json& apps = json.at("apps");
    ASSERT_EQ(apps.size(), 3U);
    EXPECT_EQ(apps[0].dump(), R"({"id":"/opt/Big.app","name":"Big","bundlePath":"/opt/Big.app",)"
                              R"("icon":null,"cpu":150.5,"memory":2048,"processCount":3,)"
                              R"("gpu":37.5,"gpuMemory":1024})");
    // A desktop application's row carries its group key and its icon's name, not the file; GPU
    // figures no driver gave are null, not 0.
    EXPECT_EQ(apps[2].dump(), R"({"id":"app:org.example.Idle","name":"Idle","bundlePath":null,)"
                              R"("icon":"org.example.Idle","cpu":0.0,"memory":0,"processCount":0,)"
                              R"("gpu":null,"gpuMemory":null})");
    // A name that is not UTF-8 is written, not dropped, and does not end the line.
    EXPECT_EQ(apps[1].at("name"), "bad\xef\xbf\xbd");

    // A share JSON cannot hold reads 0 and sorts as 0, below a busier row.
    reading.processes.apps = {{.id = "process:odd", .cpu = std::nan("")},
                              {.id = "process:busy", .cpu = 1}};
    const Json sorted = parseJson(readingLine(reading).value()).value().at("apps");
    EXPECT_EQ(sorted[0].at("id"), "process:busy");
    EXPECT_EQ(sorted[1].at("cpu"), 0.0);

    reading.cpu.perCore = {std::nan("")};
    EXPECT_FALSE(readingLine(reading));
}

TEST(JsonLines, PrimesBothBaselinesThenWritesOneFlushedLinePerReading) {
    auto host = std::make_shared<testing::FakeHost::State>();
    host->tickReadings = {{ProcessorTicks{.processor = 0}},
                          {ProcessorTicks{.processor = 0, .user = 30, .idle = 70}}};
    SystemSampler system(std::make_unique<testing::FakeHost>(host));
    auto table = std::make_shared<testing::FakeProcessTable::State>();
    table->listing = {1};
    table->processes[1] = {.usage = ProcessUsage{.physicalFootprint = 4096}, .name = "init"};
    ProcessSampler processes(std::make_unique<testing::FakeProcessTable>(table));

    std::FILE* output = std::tmpfile();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(runJsonLines(system, processes, 1, output), 0);
    std::rewind(output);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), output));
    EXPECT_EQ(std::fclose(output), 0);

    EXPECT_EQ(text.find('\n'), text.size() - 1);
    const Json json = parseJson(text).value();
    // Measured against the primed baseline, not a first-sample 0.
    EXPECT_DOUBLE_EQ(cpuSnapshotFromJson(json.at("cpu")).value().user, 0.3);
    EXPECT_EQ(json.at("apps")[0].at("memory"), 4096);
    EXPECT_EQ(table->pathReads, 1);  // resolved while priming, cached after

    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(runJsonLines(system, processes, 1, full), 1);
    static_cast<void>(std::fclose(full));
}

}  // namespace
}  // namespace vantric
