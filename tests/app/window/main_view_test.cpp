#include "app/window/main_view.hpp"

#include <set>
#include <vector>

#include <QLabel>
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

// Names and models come from other users' processes and from drivers; a label that guessed them
// to be rich text would draw their markup, or fetch the images it names.
TEST(MainView, ShowsTextFromTheMachineAsPlainText) {
    const std::vector<QString> markups{QStringLiteral("<b>chip</b>"), QStringLiteral("<i>gpu</i>"),
                                       QStringLiteral("<u>app</u>")};
    FakeMachine machine;
    machine.info = {.chip = "<b>chip</b>", .cores = 1, .gpuName = "<i>gpu</i>"};
    machine.processes->listing = {7};
    machine.processes->processes[7] = {
        .usage = {.physicalFootprint = 1 << 20, .startTime = 1, .shortName = "<u>app</u>"},
        .path = "/usr/bin/<u>app</u>",
        .name = "<u>app</u>"};
    machine.queueProcessorLoad(0.2, 0.1);
    auto store = machine.makeStore();
    store->start();
    MainView view(*store);
    ASSERT_TRUE(runPass(*store));

    std::set<QString> shown;
    for (const Page page : allPages) {
        view.setPage(page);
        for (const QLabel* label : view.content(page).findChildren<QLabel*>()) {
            for (const QString& markup : markups) {
                if (label->text().contains(markup)) {
                    shown.insert(markup);
                    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
                }
            }
        }
    }
    EXPECT_EQ(shown.size(), markups.size());
}

}  // namespace
}  // namespace vantric
