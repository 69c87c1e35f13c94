#include "platform/linux/processor_levels.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::writeFile;

// The captured machines give the plain cases: little, big and prime cores (the ARM board), equal
// capacities (the cloud VM), and the hybrid lists of the Intel desktop.
TEST(ProcessorLevels, HybridListsComeFirstAndEveryOnlineCapacityMustBeRead) {
    // Processors 0-3 online with these capacities ("" for no file), and the hybrid lists. The
    // lists come first even where capacities would tell otherwise.
    const std::tuple<std::vector<const char*>, const char*, const char*,
                     std::optional<ProcessorLevels>>
        rows[] = {
            // Counted among online processors only: 4, 5 and 6 are offline.
            {{"1024\n", "980\n", "980\n", "600\n"}, "0-2,4-5\n", "3,6\n", ProcessorLevels{3, 1}},
            {{"1024\n", "1024\n", "1024\n", "1024\n"}, "0-3\n", "4-5\n", std::nullopt},
            // One list alone is no hybrid; the lowest capacity is efficiency, in any order.
            {{"1024\n", "512\n", "512\n", "512\n"}, "0-2\n", "", ProcessorLevels{1, 3}},
            {{"512\n", "", "1024\n", "1024\n"}, "", "", std::nullopt},
        };
    for (const auto& [capacities, coreList, atomList, levels] : rows) {
        testing::TemporaryTree tree;
        const auto cpus = tree / "sys/devices/system/cpu";
        writeFile(cpus / "online", "0-3\n");
        writeFile(cpus / "cpu4/cpu_capacity", "1\n");  // offline: not counted
        for (std::size_t cpu = 0; cpu < capacities.size(); ++cpu) {
            if (*capacities[cpu] != '\0') {
                writeFile(cpus / ("cpu" + std::to_string(cpu)) / "cpu_capacity", capacities[cpu]);
            }
        }
        for (const auto& [list, pmu] : {std::pair{coreList, "cpu_core"}, {atomList, "cpu_atom"}}) {
            if (*list != '\0') {
                writeFile(tree / "sys/devices" / pmu / "cpus", list);
            }
        }
        EXPECT_EQ(readProcessorLevels(tree.root()), levels) << coreList << atomList;
    }
}

}  // namespace
}  // namespace vantric
