#pragma once

#include <utility>
#include <vector>

#include "platform/machine_facts.hpp"

namespace vantric::testing {

// MachineFacts that answer what the test set, the same on every call. The defaults are a machine
// that publishes nothing it may leave out.
class FakeMachineFacts final : public MachineFacts {
public:
    struct Answers {
        std::optional<std::string> brand{};
        std::string machine = "x86_64";
        std::optional<std::int64_t> processors{};
        PerformanceLevelCounts levels{};
        std::uint64_t memory = 0;
        std::vector<AcceleratorModel> accelerators{};
        std::optional<std::string> defaultDevice{};
        std::string operatingSystem = "Linux 6.8.0";
        std::optional<KernelTime> booted{};
    };

    explicit FakeMachineFacts(Answers answers) : answers_(std::move(answers)) {}

    std::optional<std::string> processorBrand() override { return answers_.brand; }
    std::string machineName() override { return answers_.machine; }
    std::optional<std::int64_t> logicalProcessorCount() override { return answers_.processors; }
    PerformanceLevelCounts performanceLevels() override { return answers_.levels; }
    std::uint64_t physicalMemory() override { return answers_.memory; }
    std::vector<AcceleratorModel> accelerators() override { return answers_.accelerators; }
    std::optional<std::string> defaultGraphicsDeviceName() override {
        return answers_.defaultDevice;
    }
    std::string operatingSystemName() override { return answers_.operatingSystem; }
    std::optional<KernelTime> bootTime() override { return answers_.booted; }

private:
    Answers answers_;
};

}  // namespace vantric::testing
