#include "platform/linux/proc_file.hpp"

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

// A kept-open /proc file read again, and a file larger than the first buffer, are what the host
// reads on this machine and on the 128-processor server.
TEST(ProcFile, FollowsAFileThatAppearsIsReplacedOrIsRemoved) {
    testing::TemporaryTree tree;
    const auto path = tree / "file";
    ProcFile file(path);
    EXPECT_FALSE(file.read());
    testing::writeFile(path, "first\n");
    EXPECT_EQ(file.read(), "first\n");
    testing::writeFile(tree / "replacement", "second\n");
    std::filesystem::rename(tree / "replacement", path);
    EXPECT_EQ(file.read(), "second\n");
    std::filesystem::remove(path);
    EXPECT_FALSE(file.read());
    EXPECT_FALSE(ProcFile(tree.root()).read());  // a folder
}

}  // namespace
}  // namespace vantric
