#include "platform/linux/proc_file.hpp"

#include <string>

#include <gtest/gtest.h>

#include "platform/linux/proc_stat.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

using testing::TemporaryTree;
using testing::writeFile;

TEST(ProcFile, KeptOpenProcFileGivesAFreshWholeTextEachRead) {
    ProcFile stat("/proc/stat");
    const auto first = stat.read();
    ASSERT_TRUE(first);
    const std::string firstText(*first);
    EXPECT_FALSE(parseProcStat(firstText).empty());
    const auto second = stat.read();
    ASSERT_TRUE(second);
    EXPECT_FALSE(parseProcStat(*second).empty());
    // Both reads start at the top and end with the kernel's last line.
    EXPECT_TRUE(second->starts_with("cpu "));
    EXPECT_EQ(second->back(), '\n');
}

TEST(ProcFile, ReadsAFileLargerThanItsFirstBufferWhole) {
    TemporaryTree tree;
    const std::string large(100'000, 'x');
    writeFile(tree / "large", large);
    ProcFile file(tree / "large");
    const auto text = file.read();
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, large);
}

TEST(ProcFile, FollowsAFileThatIsReplacedRemovedAndRestored) {
    TemporaryTree tree;
    const auto path = tree / "meminfo";
    ProcFile file(path);
    EXPECT_FALSE(file.read());

    writeFile(path, "first\n");
    EXPECT_EQ(file.read(), "first\n");

    const auto replacement = tree / "replacement";
    writeFile(replacement, "second\n");
    std::filesystem::rename(replacement, path);
    EXPECT_EQ(file.read(), "second\n");

    std::filesystem::remove(path);
    EXPECT_FALSE(file.read());

    writeFile(path, "");
    EXPECT_EQ(file.read(), "");
}

TEST(ProcFile, DirectoryCannotBeReadAsAFile) {
    TemporaryTree tree;
    ProcFile file(tree.root());
    EXPECT_FALSE(file.read());
}

}  // namespace
}  // namespace vantric
