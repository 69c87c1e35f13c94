#include "platform/linux/linux_app_resolver.hpp"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/fixtures.hpp"

namespace vantric {
namespace {

const std::filesystem::path apps = testing::fixturePath("hosts/apps");

// "" when pid belongs to no application.
std::string appOf(LinuxAppResolver& resolver, std::int32_t pid) {
    const auto application = resolver.resolve(pid);
    return application ? application->appId : std::string();
}

struct ResolvedCase {
    const char* name = "";
    std::int32_t pid = 0;
    const char* appId = "";
    ApplicationEvidence via = ApplicationEvidence::cgroupUnit;
    std::int32_t witness = 0;
};

class ResolvedProcesses : public ::testing::TestWithParam<ResolvedCase> {};

TEST_P(ResolvedProcesses, NameTheApplicationAndWhatSaidSo) {
    LinuxAppResolver resolver(apps);
    const ResolvedCase& expected = GetParam();
    const auto application = resolver.resolve(expected.pid);
    ASSERT_TRUE(application);
    EXPECT_EQ(application->appId, expected.appId);
    EXPECT_EQ(application->via, expected.via);
    EXPECT_EQ(application->witness, expected.witness);
}

using Via = ApplicationEvidence;
INSTANTIATE_TEST_SUITE_P(
    Rules, ResolvedProcesses,
    ::testing::Values(
        ResolvedCase{"launchedApp", 100, "org.gnome.Nautilus", Via::cgroupUnit, 100},
        ResolvedCase{"escapedIdOnHybridCgroups", 101, "org.example.My-App", Via::cgroupUnit, 101},
        ResolvedCase{"cgroupOverFlatpakAndPath", 110, "org.example.Editor", Via::cgroupUnit, 110},
        ResolvedCase{"flatpakOverPath", 111, "org.example.Sandboxed", Via::flatpakInfo, 111},
        ResolvedCase{"unreadableCgroupFallsToPath", 112, "spotify", Via::snapPath, 112},
        ResolvedCase{"appImageByItsFile", 114, "Obsidian-1.5.3", Via::appImagePath, 114},
        ResolvedCase{"appImageByItsMount", 117, "Zettlr", Via::appImagePath, 117},
        ResolvedCase{"helperOfAnApp", 115, "Obsidian-1.5.3", Via::appImagePath, 114},
        ResolvedCase{"helperOfAHelper", 116, "Obsidian-1.5.3", Via::appImagePath, 114},
        ResolvedCase{"terminalItself", 200, "kitty", Via::cgroupUnit, 200},
        ResolvedCase{"terminalInItsSlice", 210, "org.gnome.Terminal", Via::cgroupUnit, 210},
        ResolvedCase{"ownUnitUnderATerminal", 203, "org.gnome.Calculator", Via::cgroupUnit, 203},
        ResolvedCase{"snapStartedInATerminalScope", 204, "spotify", Via::snapPath, 204}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinuxAppResolver, ProgramsStartedFromTerminalsSessionsAndTheShellBelongToNoApplication) {
    LinuxAppResolver resolver(apps);
    EXPECT_EQ(appOf(resolver, 201), "");   // a shell in kitty's own unit
    EXPECT_EQ(appOf(resolver, 202), "");   // and what it runs
    EXPECT_EQ(appOf(resolver, 211), "");   // a shell in a terminal's tab scope
    EXPECT_EQ(appOf(resolver, 241), "");   // under sudo, though sudo's parent is an application
    EXPECT_EQ(appOf(resolver, 243), "");   // under a shell an application opened on a terminal
    EXPECT_EQ(appOf(resolver, 251), "");   // under a desktop shell an application started
    EXPECT_EQ(appOf(resolver, 300), "");   // a parent loop ends
    EXPECT_EQ(appOf(resolver, 900), "");   // the user's manager
    EXPECT_EQ(appOf(resolver, 4242), "");  // gone
}

TEST(LinuxAppResolver, AsksTheCallerWhichApplicationsAreTerminals) {
    LinuxAppResolver plain(apps);
    EXPECT_EQ(appOf(plain, 221), "com.example.Term");

    LinuxAppResolver told(apps, [](std::string_view appId) { return appId == "com.example.Term"; });
    EXPECT_EQ(appOf(told, 220), "com.example.Term");
    EXPECT_EQ(appOf(told, 221), "");
}

TEST(LinuxAppResolver, ReadsEachAncestorOncePerBatch) {
    testing::TemporaryTree tree;
    std::filesystem::copy(
        apps, tree.root(),
        std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    LinuxAppResolver resolver(tree.root());
    EXPECT_EQ(appOf(resolver, 115), "Obsidian-1.5.3");
    std::filesystem::remove_all(tree / "proc/114");
    EXPECT_EQ(appOf(resolver, 116), "Obsidian-1.5.3");  // learnt from the walk for 115

    resolver.beginBatch();  // the identifier may name another process by now
    EXPECT_EQ(appOf(resolver, 116), "");
}

}  // namespace
}  // namespace vantric
