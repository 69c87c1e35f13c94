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

TEST(LinuxAppResolver, NamesTheApplicationAndWhatSaidSo) {
    using Via = ApplicationEvidence;
    const std::tuple<std::int32_t, const char*, Via, std::int32_t> rows[] = {
        {100, "org.gnome.Nautilus", Via::cgroupUnit, 100},
        {101, "org.example.My-App", Via::cgroupUnit, 101},      // escaped, on hybrid cgroups
        {110, "org.example.Editor", Via::cgroupUnit, 110},      // the cgroup over flatpak and path
        {111, "org.example.Sandboxed", Via::flatpakInfo, 111},  // flatpak over the path
        {112, "spotify", Via::snapPath, 112},                   // an unreadable cgroup: the path
        {114, "Obsidian-1.5.3", Via::appImagePath, 114},        // an AppImage by its file
        {117, "Zettlr", Via::appImagePath, 117},                // and by its mount
        {115, "Obsidian-1.5.3", Via::appImagePath, 114},        // a helper of an application
        {116, "Obsidian-1.5.3", Via::appImagePath, 114},        // a helper of a helper
        {200, "kitty", Via::cgroupUnit, 200},                   // a terminal itself
        {210, "org.gnome.Terminal", Via::cgroupUnit, 210},      // a terminal in its slice
        {203, "org.gnome.Calculator", Via::cgroupUnit, 203},    // its own unit under a terminal
        {204, "spotify", Via::snapPath, 204},                   // a snap started in a terminal
    };
    for (const auto& [pid, appId, via, witness] : rows) {
        const auto application =
            LinuxAppResolver(apps).resolve(pid).value_or(ApplicationOfProcess{});
        EXPECT_EQ(std::tuple(application.appId, application.via, application.witness),
                  std::tuple(std::string(appId), via, witness))
            << pid;
    }
}

TEST(LinuxAppResolver, ProgramsStartedFromTerminalsSessionsAndTheShellBelongToNoApplication) {
    LinuxAppResolver resolver(apps);
    // 201, a shell in kitty's own unit, and 202, what it runs; 211, a shell in a terminal's tab
    // scope; 241, under sudo, though sudo's parent is an application; 243, under a shell an
    // application opened on a terminal; 251, under a desktop shell an application started; 300,
    // in a loop of parents; 900, the user's manager; 4242, gone.
    for (const std::int32_t pid : {201, 202, 211, 241, 243, 251, 300, 900, 4242}) {
        EXPECT_EQ(appOf(resolver, pid), "") << pid;
    }
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
