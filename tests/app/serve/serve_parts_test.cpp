#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "app/serve/app_series.hpp"
#include "app/serve/exposition.hpp"
#include "app/serve/exposition_format.hpp"
#include "app/serve/listen_address.hpp"
#include "app/serve/metrics_server.hpp"
#include "app/serve/metrics_source.hpp"
#include "support/fake_host.hpp"
#include "support/fake_process_table.hpp"
#include "support/http_client.hpp"

namespace vantric {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        result.push_back(line);
    }
    return result;
}

bool hasLine(const std::string& text, const std::string& line) {
    const auto all = lines(text);
    return std::find(all.begin(), all.end(), line) != all.end();
}

TEST(ListenAddress, TakesAPortOrANumericIPv4AddressAndPortOnly) {
    EXPECT_EQ(parseListenAddress("9100"), (ListenAddress{.host = "127.0.0.1", .port = 9100}));
    EXPECT_EQ(parseListenAddress("0"), (ListenAddress{.host = "127.0.0.1", .port = 0}));
    EXPECT_EQ(parseListenAddress("0.0.0.0:65535"),
              (ListenAddress{.host = "0.0.0.0", .port = 65535}));
    for (const char* refused :
         {"", "65536", "-1", "9100x", " 9100", "localhost:9100", "[::1]:9100", "::1:9100",
          "1.2.3:4", "1.2.3.4:", ":9100", "1.2.3.4:9100:1", "256.0.0.1:80"}) {
        EXPECT_FALSE(parseListenAddress(refused)) << refused;
    }
    EXPECT_EQ(hostAndPort(ListenAddress{.host = "10.0.0.2", .port = 0}, 4711), "10.0.0.2:4711");
}

AppUsage app(const char* id, double cpuSeconds, std::uint64_t memory, int processes = 1) {
    return AppUsage{.id = id,
                    .name = std::string(id) + " app",
                    .cpuSeconds = cpuSeconds,
                    .memory = memory,
                    .processCount = processes};
}

std::vector<std::string> ids(const std::vector<AppSeriesValues>& series) {
    std::vector<std::string> result;
    result.reserve(series.size());
    for (const AppSeriesValues& each : series) {
        result.push_back(each.id);
    }
    return result;
}

double cpuOf(const std::vector<AppSeriesValues>& series, const std::string& id) {
    const auto found = std::find_if(series.begin(), series.end(),
                                    [&](const AppSeriesValues& each) { return each.id == id; });
    return found == series.end() ? -1 : found->cpuSeconds;
}

// Places go by turns to recent processor time and to memory; what no place takes adds up in
// "other". An application's counter grows while it keeps its place, starts afresh when it comes
// back, and its time while away stays in "other", which never falls.
TEST(AppSeries, KeepsTheBusiestAndLargestAndCountsTheRestAsOther) {
    AppSeries series(4);
    AppUsage withGpu = app("f", std::nan(""), 1, 2);
    withGpu.gpu = 50;
    withGpu.gpuMemory = 7;
    series.add({app("a", 5, 10), app("b", 4, 20), app("c", 0, 500), app("d", 0, 400),
                app("e", 3, 30), withGpu});
    EXPECT_EQ(ids(series.series()), (std::vector<std::string>{"a", "b", "c", "d", "other"}));
    EXPECT_EQ(series.series().back(), (AppSeriesValues{.id = "other",
                                                       .name = "Other applications",
                                                       .cpuSeconds = 3,
                                                       .memory = 31,
                                                       .processCount = 3,
                                                       .gpu = 0.5,
                                                       .gpuMemory = 7}));
    EXPECT_EQ(series.series().front().name, "a app");

    // A burst puts "e" first; "b" loses its place and its second goes to "other".
    series.add(
        {app("a", 1, 10), app("b", 1, 20), app("c", 0, 500), app("d", 0, 400), app("e", 20, 30)});
    EXPECT_EQ(ids(series.series()), (std::vector<std::string>{"e", "a", "c", "d", "other"}));
    EXPECT_EQ(cpuOf(series.series(), "a"), 6);
    EXPECT_EQ(cpuOf(series.series(), "e"), 20);
    EXPECT_EQ(cpuOf(series.series(), "other"), 4);

    // "b" comes back and counts from this pass; "a", idle, leaves; "c" is gone for good.
    series.add(
        {app("a", 0, 10), app("b", 50, 20), app("d", 0, 400), app("e", 0, 30), app("g", 0, 1)});
    EXPECT_EQ(ids(series.series()), (std::vector<std::string>{"b", "e", "a", "d", "other"}));
    EXPECT_EQ(cpuOf(series.series(), "b"), 50);
    EXPECT_EQ(cpuOf(series.series(), "other"), 4);
    EXPECT_EQ(series.series().back().memory, 1U);
    EXPECT_FALSE(series.series().back().gpu);
}

TEST(ExpositionFormat, NegotiatesOpenMetricsOnlyWhereAskedAtLeastAsMuchAsText) {
    const std::pair<const char*, ExpositionFormat> rows[] = {
        {"application/openmetrics-text;version=1.0.0,application/openmetrics-text;version=0.0.1;"
         "q=0.75,text/plain;version=0.0.4;q=0.5,*/*;q=0.1",
         ExpositionFormat::openMetrics},
        {"Application/OpenMetrics-Text; version=1.0.0", ExpositionFormat::openMetrics},
        {"text/plain;q=0.5, application/openmetrics-text;q=0.5", ExpositionFormat::openMetrics},
        {"", ExpositionFormat::text},
        {"*/*", ExpositionFormat::text},
        {"text/plain;version=0.0.4", ExpositionFormat::text},
        {"application/openmetrics-text;q=0.3,text/*;q=0.5", ExpositionFormat::text},
        {"application/openmetrics-text;q=0", ExpositionFormat::text},
        {"application/openmetrics-text;q=high", ExpositionFormat::text},
        {"application/json", ExpositionFormat::text},
    };
    for (const auto& [accept, format] : rows) {
        EXPECT_EQ(acceptedFormat(accept), format) << accept;
    }
}

ScrapeReading typicalReading() {
    return ScrapeReading{
        .cpu = {.user = 1.5, .system = 2.25, .idle = 10},
        .memory = {.total = 1000,
                   .app = 100,
                   .wired = 50,
                   .compressed = 25,
                   .cached = 300,
                   .swapUsed = 5,
                   .swapTotal = 10,
                   .pressure = MemoryPressure::warning},
        .gpus = {GPUSnapshot{.available = true, .utilization = 0.25, .device = "card0"},
                 GPUSnapshot{.available = true,
                             .utilization = 0.5,
                             .memoryInUse = 64,
                             .memoryKind = GpuMemoryKind::video,
                             .device = "0000:03:00.0"}},
        .apps = {AppSeriesValues{.id = "process:bad\xff",
                                 .name = "say \"hi\"\n\\",
                                 .cpuSeconds = 2,
                                 .memory = 3,
                                 .processCount = 1},
                 AppSeriesValues{.id = "other",
                                 .name = "Other applications",
                                 .cpuSeconds = 0.125,
                                 .processCount = 4,
                                 .gpu = 0.5,
                                 .gpuMemory = 9}},
        .processCount = 42};
}

// The same samples in both formats; OpenMetrics names counter families without "_total" and
// ends with "# EOF"; texts from the kernel are made valid UTF-8 and escaped.
TEST(Exposition, WritesTheReadingInBothFormatsWithTheSameSamples) {
    const auto families = metricFamilies(typicalReading());
    const std::string open = serialized(families, ExpositionFormat::openMetrics);
    const std::string text = serialized(families, ExpositionFormat::text);
    // The name's bad byte is U+FFFD; its quotes, line feed and backslash are escaped.
    const std::string badApp =
        std::string("vantric_app_cpu_seconds_total{id=\"process:bad\xEF\xBF\xBD\",") +
        "name=\"say \\\"hi\\\"\\n\\\\\"} 2";
    for (const char* line : {
             "# TYPE vantric_cpu_seconds counter",
             "vantric_cpu_seconds_total{mode=\"user\"} 1.5",
             "vantric_cpu_seconds_total{mode=\"system\"} 2.25",
             "vantric_cpu_seconds_total{mode=\"idle\"} 10",
             "vantric_memory_bytes{class=\"free\"} 525",
             "vantric_memory_total_bytes 1000",
             "vantric_swap_used_bytes 5",
             "vantric_memory_pressure 1",
             "vantric_gpu_busy_ratio{device=\"card0\"} 0.25",
             "vantric_gpu_memory_used_bytes{device=\"0000:03:00.0\"} 64",
             "vantric_processes 42",
             badApp.c_str(),
             "vantric_app_cpu_seconds_total{id=\"other\",name=\"Other applications\"} 0.125",
             "vantric_app_gpu_ratio{id=\"other\",name=\"Other applications\"} 0.5",
         }) {
        EXPECT_TRUE(hasLine(open, line)) << line;
    }
    EXPECT_FALSE(hasLine(open, "vantric_gpu_memory_used_bytes{device=\"card0\"} 0"));
    EXPECT_EQ(lines(open).back(), "# EOF");
    EXPECT_TRUE(hasLine(text, "# TYPE vantric_cpu_seconds_total counter"));
    for (const std::string& line : lines(open)) {
        if (!line.starts_with("#")) {
            EXPECT_TRUE(hasLine(text, line)) << line;
        }
    }
    EXPECT_EQ(std::count(open.begin(), open.end(), '\n') - 1,
              std::count(text.begin(), text.end(), '\n'));

    // No device, no application with a graphics figure: those families are left out; memory
    // classes that add up past the total leave nothing free.
    ScrapeReading bare = typicalReading();
    bare.gpus.clear();
    bare.apps.pop_back();
    bare.memory.cached = 2000;
    const std::string plain = serialized(metricFamilies(bare), ExpositionFormat::openMetrics);
    EXPECT_EQ(plain.find("gpu"), std::string::npos);
    EXPECT_TRUE(hasLine(plain, "vantric_memory_bytes{class=\"free\"} 0"));
}

// A sampler over a table of one process, "worker", which never runs.
ProcessSampler oneWorker(const std::shared_ptr<testing::FakeProcessTable::State>& table) {
    table->listing = {7};
    table->processes[7] = {.usage = ProcessUsage{.startTime = 1, .shortName = "worker"},
                           .name = "worker"};
    return ProcessSampler(std::make_unique<testing::FakeProcessTable>(table));
}

// A scrape within 0.9 s of the last pass is answered from it; the next makes a new pass.
TEST(MetricsSource, PassesOverTheMachineAtMostOnceASecond) {
    auto host = std::make_shared<testing::FakeHost::State>();
    host->ticksPerSecond = 4;
    const ProcessorTicks ticks{.user = 4, .system = 8, .idle = 40};
    host->tickReadings = {{ticks}, {ProcessorTicks{.user = 6, .system = 8, .idle = 42}}};
    SystemSampler system(std::make_unique<testing::FakeHost>(host));
    auto table = std::make_shared<testing::FakeProcessTable::State>();
    ProcessSampler processes = oneWorker(table);
    auto now = std::chrono::steady_clock::time_point{};
    MetricsSource source(system, processes, [&now] { return now; });
    EXPECT_EQ(host->processorCalls, 1);

    now += MetricsSource::passInterval - std::chrono::milliseconds(1);
    const std::string early = source.scrape(ExpositionFormat::text);
    EXPECT_TRUE(hasLine(early, "vantric_cpu_seconds_total{mode=\"user\"} 1"));
    EXPECT_TRUE(hasLine(early, "vantric_app_processes{id=\"process:worker\",name=\"worker\"} 1"));
    EXPECT_EQ(host->processorCalls, 1);

    now += std::chrono::milliseconds(1);
    const std::string next = source.scrape(ExpositionFormat::openMetrics);
    EXPECT_EQ(host->processorCalls, 2);
    EXPECT_TRUE(hasLine(next, "vantric_cpu_seconds_total{mode=\"user\"} 1.5"));
    EXPECT_TRUE(hasLine(next, "vantric_cpu_seconds_total{mode=\"idle\"} 10.5"));
    EXPECT_EQ(source.scrape(ExpositionFormat::openMetrics), next);
    EXPECT_TRUE(hasLine(source.scrape(ExpositionFormat::text),
                        "vantric_cpu_seconds_total{mode=\"idle\"} 10.5"));
    EXPECT_EQ(host->processorCalls, 2);

    // A pass whose listing fails keeps the applications' series and the processor counters.
    table->listingFails = true;
    now += MetricsSource::passInterval;
    const std::string failed = source.scrape(ExpositionFormat::text);
    EXPECT_EQ(host->processorCalls, 3);
    EXPECT_TRUE(hasLine(failed, "vantric_app_processes{id=\"process:worker\",name=\"worker\"} 1"));
    EXPECT_TRUE(hasLine(failed, "vantric_processes 1"));
    EXPECT_TRUE(hasLine(failed, "vantric_cpu_seconds_total{mode=\"idle\"} 10.5"));
}

// Scrapers at once, in both formats, while passes are made under them: each gets a whole answer.
// Under ThreadSanitizer, this is where the server's workers and the sampling lock meet.
TEST(MetricsServer, AnswersScrapersAtOnceWhilePassesAreMade) {
    auto host = std::make_shared<testing::FakeHost::State>();
    for (std::uint64_t tick = 1; tick <= 8; ++tick) {
        host->tickReadings.push_back({ProcessorTicks{.user = tick, .idle = tick}});
    }
    SystemSampler system(std::make_unique<testing::FakeHost>(host));
    auto table = std::make_shared<testing::FakeProcessTable::State>();
    ProcessSampler processes = oneWorker(table);
    MetricsSource source(system, processes);
    auto listening =
        MetricsServer::listen(ListenAddress{.host = "127.0.0.1", .port = 0},
                              [&source](ExpositionFormat format) { return source.scrape(format); });
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<MetricsServer>>(listening));
    const std::uint16_t port = std::get<std::unique_ptr<MetricsServer>>(listening)->port();

    std::atomic<int> whole = 0;
    std::atomic<int> asked = 0;
    std::vector<std::thread> scrapers;
    scrapers.reserve(6);
    const auto until = std::chrono::steady_clock::now() + 2 * MetricsSource::passInterval;
    for (int scraper = 0; scraper < 6; ++scraper) {
        scrapers.emplace_back([&, scraper] {
            const bool open = scraper % 2 == 0;
            while (std::chrono::steady_clock::now() < until) {
                const std::string answer = testing::get(
                    port, "/metrics",
                    open ? "Accept: application/openmetrics-text;version=1.0.0\r\n" : "");
                ++asked;
                if (hasLine(answer,
                            "vantric_app_processes{id=\"process:worker\",name=\"worker\"} 1") &&
                    (!open || answer.ends_with("\n# EOF\n"))) {
                    ++whole;
                }
            }
        });
    }
    for (std::thread& scraper : scrapers) {
        scraper.join();
    }
    EXPECT_GT(asked.load(), 6);
    EXPECT_EQ(whole.load(), asked.load());
    EXPECT_GE(host->processorCalls, 3);
}

}  // namespace
}  // namespace vantric
