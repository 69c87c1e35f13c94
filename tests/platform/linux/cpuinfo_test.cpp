#include "platform/linux/cpuinfo.hpp"

#include <gtest/gtest.h>

namespace vantric {
namespace {

TEST(Cpuinfo, CollapsesPaddingAndSkipsEmptyNames) {
    EXPECT_EQ(parseCpuinfo("processor\t: 0\n"
                           "model name\t:    Intel(R) Xeon(R) CPU           E5-2670 0 @ 2.60GHz  \n"
                           "processor\t: 1\n"
                           "model name\t: something later\n"),
              (Cpuinfo{.modelName = "Intel(R) Xeon(R) CPU E5-2670 0 @ 2.60GHz", .processors = 2}));
    EXPECT_EQ(
        parseCpuinfo("processor : 0\nmodel name\t: \t\nmodel name : ARMv7 Processor rev 4 (v7l)\n"),
        (Cpuinfo{.modelName = "ARMv7 Processor rev 4 (v7l)", .processors = 1}));
    // The names of other keys that start alike, and a last line cut short, do not count.
    EXPECT_EQ(parseCpuinfo("processors : 4\nmodel names : x\nprocessor : 0\nmodel name : Cut"),
              (Cpuinfo{.processors = 1}));
}

}  // namespace
}  // namespace vantric
