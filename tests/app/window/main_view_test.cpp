#include "app/window/main_view.hpp"

#include <QScrollArea>

#include <gtest/gtest.h>

#include "app/window/sidebar_row.hpp"
#include "support/store_fixture.hpp"

namespace vantric {
namespace {

using testing::FakeMachine;
using testing::runPass;

TEST(PageUrls, SelectOnlyByTheExactLowerCaseHost) {
    EXPECT_EQ(pageForUrl("vantric://memory"), Page::memory);
    EXPECT_EQ(pageForUrl("vantric://cpu/any/path?q#f"), Page::cpu);
    EXPECT_EQ(pageForUrl("other://widgets"), Page::widgets);
    EXPECT_EQ(pageForUrl("vantric://user@gpu:80"), Page::gpu);
    for (const char* ignored : {"vantric://Memory", "vantric://", "vantric:memory", "memory",
                                "vantric://disk", "vantric://%6Demory", ""}) {
        EXPECT_FALSE(pageForUrl(ignored)) << ignored;
    }
}

TEST(MainView, ShowsNoBadgeBeforeTheFirstPassAndFiguresAfterIt) {
    FakeMachine machine;
    machine.queueProcessorLoad(0.25, 0.12);
    machine.setMemory(16ULL << 30, 11ULL << 30, MemoryPressure::normal);
    auto store = machine.makeStore();
    store->start();
    MainView view(*store);
    for (const Page page : allPages) {
        EXPECT_FALSE(view.badge(page)) << title(page).toStdString();
        EXPECT_FALSE(view.sidebarRow(page).badge());
    }

    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(view.badge(Page::cpu), QStringLiteral("37%"));
    EXPECT_EQ(view.badge(Page::memory), QStringLiteral("11.0 GB"));
    EXPECT_EQ(view.sidebarRow(Page::cpu).badge(), QStringLiteral("37%"));
    // No accelerator publishes statistics: the GPU row has no figure while the others do.
    EXPECT_FALSE(view.badge(Page::gpu));
    EXPECT_FALSE(view.badge(Page::overview));
    EXPECT_FALSE(view.badge(Page::widgets));
}

TEST(MainView, ShowsTheGpuBadgeOnlyWhenAnAcceleratorIsAvailable) {
    FakeMachine machine;
    machine.setGpuLoad(42);
    auto store = machine.makeStore();
    store->start();
    MainView view(*store);
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(view.badge(Page::gpu), QStringLiteral("42%"));
}

TEST(MainView, UrlsSwitchThePageAndUnknownHostsKeepIt) {
    FakeMachine machine;
    auto store = machine.makeStore();
    MainView view(*store);
    EXPECT_EQ(view.page(), Page::overview);
    view.openUrl("vantric://memory");
    EXPECT_EQ(view.page(), Page::memory);
    view.openUrl("vantric://Memory");
    view.openUrl("vantric://");
    view.openUrl("vantric://swap");
    EXPECT_EQ(view.page(), Page::memory);
    view.openUrl("vantric://widgets");
    EXPECT_EQ(view.page(), Page::widgets);
    EXPECT_EQ(view.findChild<QScrollArea*>()->widget(), &view.content(Page::widgets));
}

}  // namespace
}  // namespace vantric
