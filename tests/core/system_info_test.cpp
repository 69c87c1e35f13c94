#include "core/system_info.hpp"

#include <gtest/gtest.h>

#include "support/fake_machine_facts.hpp"

namespace vantric {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;
using testing::FakeMachineFacts;

SystemInfo gather(FakeMachineFacts::Answers answers) {
    FakeMachineFacts facts(std::move(answers));
    return SystemInfo::current(facts);
}

TEST(SystemInfo, FactsThatCannotBeReadTakeTheirFallbacks) {
    const AcceleratorModel nameless{.model = std::nullopt, .coreCount = 10};
    const AcceleratorModel empty{.model = ""};  // an empty name is still a name
    const AcceleratorModel named{.device = "card1", .model = "Arc A380", .coreCount = 8};
    const std::string device = "Virtio 1.0 GPU";
    // The chip, the GPU's name and cores from what the machine answers: the first accelerator's.
    const std::tuple<std::string, std::string, std::optional<std::int64_t>,
                     FakeMachineFacts::Answers>
        rows[] = {
            {"x86_64", "GPU", std::nullopt, {}},
            {"aarch64", device, std::nullopt, {.machine = "aarch64", .defaultDevice = device}},
            {"x86_64", device, 10, {.accelerators = {nameless}, .defaultDevice = device}},
            {"AMD EPYC", "GPU", std::nullopt, {.brand = "AMD EPYC"}},
            {"x86_64", "", std::nullopt, {.accelerators = {empty}, .defaultDevice = device}},
            {"x86_64", "GPU", 10, {.accelerators = {nameless, named}}},
        };
    for (const auto& [chip, gpuName, gpuCores, answers] : rows) {
        const SystemInfo info = gather(answers);
        EXPECT_EQ(std::tie(info.chip, info.gpuName, info.gpuCores),
                  std::tie(chip, gpuName, gpuCores));
        EXPECT_EQ(info.cores, 1);
        EXPECT_FALSE(info.bootTime);
    }
}

// The GPU reading names its device; the model shown beside it must be that device's, and an
// unknown or unnamed device must still have a name.
TEST(SystemInfo, EachDevicesModelIsFoundByItsName) {
    const SystemInfo info = gather(
        {.accelerators = {{.device = "0000:03:00.0", .model = "Radeon RX 7600", .coreCount = 2048},
                          {.device = "0000:0a:00.0", .model = "NVIDIA H100", .coreCount = 16896},
                          {.device = "card2"}},
         .defaultDevice = "llvmpipe"});
    const std::pair<std::string, GpuModel> rows[] = {
        {"0000:03:00.0", {"0000:03:00.0", "Radeon RX 7600", 2048}},
        {"0000:0a:00.0", {"0000:0a:00.0", "NVIDIA H100", 16896}},
        {"card2", {"card2", "llvmpipe", std::nullopt}},
        {"", {"", "Radeon RX 7600", 2048}},
        {"card7", {"card7", "Radeon RX 7600", 2048}},
    };
    for (const auto& [device, model] : rows) {
        EXPECT_EQ(info.gpuModel(device), model) << device;
    }
    EXPECT_EQ(toJson(info)["gpus"].dump(),
              R"([{"device":"0000:03:00.0","name":"Radeon RX 7600","cores":2048},)"
              R"({"device":"0000:0a:00.0","name":"NVIDIA H100","cores":16896},)"
              R"({"device":"card2","name":"llvmpipe","cores":null}])");
}

TEST(SystemInfo, CoreSummaryShowsLevelsOnlyWhenBothAreKnown) {
    const std::tuple<std::int64_t, std::optional<std::int64_t>, std::optional<std::int64_t>,
                     const char*>
        rows[] = {
            {10, 4, 6, "10 cores (4P + 6E)"},
            {20, 8, 8, "20 cores (8P + 8E)"},  // cores, not the sum: P cores run two threads
            {8, 4, std::nullopt, "8 cores"},
            {8, std::nullopt, 4, "8 cores"},
        };
    for (const auto& [cores, performance, efficiency, summary] : rows) {
        EXPECT_EQ(gather({.processors = cores, .levels = {performance, efficiency}}).coreSummary(),
                  summary);
    }
}

TEST(SystemInfo, BootTimesTheClockCannotHoldAreAbsent) {
    const auto at = [](std::int64_t whole, std::int64_t micros) {
        return system_clock::time_point(seconds(whole) + std::chrono::microseconds(micros));
    };
    // 1700000000 s and 500000 µs is half a second after 1700000000 s.
    const std::pair<KernelTime, std::optional<system_clock::time_point>> rows[] = {
        {{.seconds = 1700000000, .microseconds = 500000}, at(1700000000, 500000)},
        {{.seconds = 9223372035, .microseconds = 999999}, at(9223372035, 999999)},
        {{.seconds = 9223372036, .microseconds = 0}, std::nullopt},
        {{.seconds = -9223372036, .microseconds = 0}, std::nullopt},
        {{.seconds = 1700000000, .microseconds = 1000000}, std::nullopt},
        {{.seconds = 1700000000, .microseconds = -1}, std::nullopt},
    };
    for (const auto& [booted, expected] : rows) {
        EXPECT_EQ(gather({.booted = booted}).bootTime, expected) << booted.seconds;
    }
}

TEST(SystemInfo, JsonHoldsAbsentFieldsAsNullAndTheBootTimeUnrounded) {
    SystemInfo info{.chip = "AMD EPYC", .cores = 2, .gpuName = "GPU", .osVersion = "Debian"};
    EXPECT_EQ(toJson(info).dump(),
              R"({"chip":"AMD EPYC","cores":2,"performanceCores":null,"efficiencyCores":null,)"
              R"("memory":0,"gpuName":"GPU","gpuCores":null,"gpus":[],"osVersion":"Debian",)"
              R"("bootTime":null,"coreSummary":"2 cores"})");
    info.bootTime = system_clock::time_point(seconds(1700000000)) + std::chrono::milliseconds(250);
    EXPECT_EQ(toJson(info)["bootTime"].dump(), "1700000000.25");  // not 1700000000.2499998
}

}  // namespace
}  // namespace vantric
