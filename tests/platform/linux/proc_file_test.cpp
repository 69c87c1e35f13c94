#include "platform/linux/proc_file.hpp"

#include <string>

#include <gtest/gtest.h>

#include "platform/linux/proc_stat.hpp"
#include "support/fixtures.hpp"

namespace vantric {
namespace {

TEST(ProcFile, KeptOpenProcFileGivesAWholeFreshTextEachRead) {
    ProcFile stat("/proc/stat");
    for (int read = 0; read < 2; ++read) {
        const auto text = stat.read();
        ASSERT_TRUE(text);
        EXPECT_FALSE(parseProcStat(*text).empty());
    }
}

TEST(ProcFile, ReadsLargeFilesWholeAndFollowsAFileThatIsReplacedOrRemoved) {
    testing::TemporaryTree tree;
    const auto path = tree / "file";
    ProcFile file(path);
    EXPECT_FALSE(file.read());
    const std::string large(100'000, 'x');
    testing::writeFile(path, large);
    EXPECT_EQ(file.read(), large);
    testing::writeFile(tree / "replacement", "second\n");
    std::filesystem::rename(tree / "replacement", path);
    EXPECT_EQ(file.read(), "second\n");
    std::filesystem::remove(path);
    EXPECT_FALSE(file.read());
    EXPECT_FALSE(ProcFile(tree.root()).read());  // a folder
}

}  // namespace
}  // namespace vantric
