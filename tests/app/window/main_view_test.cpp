#include "app/window/main_view.hpp"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>

#include <gtest/gtest.h>

#include "app/window/sidebar_row.hpp"
#include "support/rendered.hpp"
#include "support/store_fixture.hpp"

namespace vantric {
namespace {

using testing::runPass;
using testing::showAt;

TEST(PageUrls, SelectOnlyByTheExactLowerCaseHost) {
    EXPECT_EQ(pageForUrl("vantric://memory"), Page::memory);
    EXPECT_EQ(pageForUrl("vantric://cpu/any/path?q#f"), Page::cpu);
    EXPECT_EQ(pageForUrl("other://widgets"), Page::widgets);
    EXPECT_EQ(pageForUrl("vantric://user@gpu:80"), Page::gpu);
    EXPECT_EQ(pageForUrl("vantric://cpu:/"), Page::cpu);
    for (const char* ignored :
         {"vantric://Memory", "vantric://", "vantric:memory", "memory", "vantric://disk",
          "vantric://%6Demory", "", "://cpu", "1x://cpu", "van tric://cpu", "vantric://cpu:abc",
          "vantric://cpu:99999999999", "vantric://cpu:65536", "vantric://cpu:-1"}) {
        EXPECT_FALSE(pageForUrl(ignored)) << ignored;
    }
}

struct MainViewTest : ::testing::Test {
    void open() {
        store = machine.makeStore();
        store->start();
        view = std::make_unique<MainView>(*store);
    }

    testing::FakeMachine machine;
    std::unique_ptr<MetricsStore> store;
    std::unique_ptr<MainView> view;
};

// The badges are drawn whole inside the sidebar as the window shows it, at any sidebar width.
TEST_F(MainViewTest, ShowsNoBadgeBeforeTheFirstPassAndFiguresInSightAfterIt) {
    machine.queueProcessorLoad(0.25, 0.12);
    machine.setMemory(16ULL << 30, 11ULL << 30, MemoryPressure::normal);
    open();
    showAt(*view, 1080, 760);
    for (const Page page : allPages) {
        EXPECT_FALSE(view->badge(page)) << title(page).toStdString();
        EXPECT_FALSE(view->sidebarRow(page).badge());
    }

    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(view->badge(Page::cpu), QStringLiteral("37%"));
    EXPECT_EQ(view->badge(Page::memory), QStringLiteral("11.0 GB"));
    // No accelerator publishes statistics: the GPU row has no figure while the others do.
    for (const Page page : {Page::gpu, Page::overview, Page::widgets}) {
        EXPECT_FALSE(view->badge(page)) << title(page).toStdString();
    }

    auto* splitter = view->findChild<QSplitter*>();
    const QWidget* viewport = view->findChild<QListWidget*>()->viewport();
    for (const int sidebarWidth : {210, 190, 320}) {
        splitter->setSizes({sidebarWidth, 1080 - sidebarWidth});
        QApplication::processEvents();
        for (const Page page : {Page::cpu, Page::memory}) {
            const auto labels = view->sidebarRow(page).findChildren<QLabel*>();
            const auto badge = std::find_if(labels.begin(), labels.end(), [&](const QLabel* label) {
                return label->text() == view->badge(page);
            });
            ASSERT_NE(badge, labels.end());
            const QRect shown((*badge)->mapTo(viewport, QPoint(0, 0)), (*badge)->size());
            EXPECT_TRUE(viewport->rect().contains(shown))
                << sidebarWidth << ": " << shown.x() << "+" << shown.width() << " in "
                << viewport->width();
            EXPECT_GE((*badge)->width(), (*badge)->sizeHint().width());
        }
    }
}

// The top-apps card, with its three sort segments and four columns, is the widest part of the
// Overview, CPU and Memory pages; at the window's narrowest, no page scrolls sideways.
TEST_F(MainViewTest, EveryPageFitsTheNarrowestWindowWithoutScrollingSideways) {
    machine.queueProcessorLoad(0.25, 0.12);
    machine.processes->listing = {7};
    machine.processes->processes[7] = {.usage = ProcessUsage{.physicalFootprint = 3000ULL << 30,
                                                             .startTime = 1,
                                                             .shortName = "compositor",
                                                             .gpu = ProcessGpu{.percent = 100}},
                                       .name = "compositor"};
    open();
    showAt(*view, view->minimumWidth(), view->minimumHeight());
    ASSERT_TRUE(runPass(*store));
    const QScrollBar* sideways = view->findChild<QScrollArea*>()->horizontalScrollBar();
    for (const Page page : allPages) {
        view->setPage(page);
        QApplication::processEvents();
        EXPECT_EQ(sideways->maximum(), 0) << title(page).toStdString();
    }
}

// When a reading's handlers return, every figure has the width of its text: nothing can paint it
// cut, as "10" of a Total that has just reached 100. URLs choose the page; unknown hosts keep it.
TEST_F(MainViewTest, FiguresThatGainADigitAreLaidOutBeforeTheyArePainted) {
    machine.queueProcessorLoad(0.5, 0.49);
    machine.queueProcessorLoad(0.5, 0.5);
    machine.setMemory(16ULL << 30, 9ULL << 30, MemoryPressure::normal);
    open();
    EXPECT_EQ(view->page(), Page::overview);
    view->openUrl("vantric://widgets");
    for (const char* unknown : {"vantric://Memory", "vantric://", "vantric://swap"}) {
        view->openUrl(unknown);
    }
    EXPECT_EQ(view->page(), Page::widgets);
    EXPECT_EQ(view->findChild<QScrollArea*>()->widget(), &view->content(Page::widgets));
    view->openUrl("vantric://cpu");
    EXPECT_EQ(view->page(), Page::cpu);
    showAt(*view, 1080, 760);

    std::vector<std::string> cut;
    QObject::connect(store.get(), &MetricsStore::changed, view.get(), [&] {
        for (const QLabel* label : view->findChildren<QLabel*>()) {
            if (label->isVisible() && !label->wordWrap() &&
                label->width() < label->sizeHint().width()) {
                cut.push_back(label->text().toStdString());
            }
        }
    });
    ASSERT_TRUE(runPass(*store));
    machine.setMemory(16ULL << 30, 10ULL << 30, MemoryPressure::normal);
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(view->badge(Page::cpu), QStringLiteral("100%"));
    EXPECT_EQ(cut, std::vector<std::string>{});
}

// How a colour reads over another, as WCAG measures it: 1 is invisible, 21 black on white.
double contrast(const QColor& ink, const QColor& ground) {
    const auto luminance = [&](double alpha) {
        const auto channel = [&](double inked, double under) {
            const double value = inked * alpha + under * (1 - alpha);
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(ink.redF(), ground.redF()) +
               0.7152 * channel(ink.greenF(), ground.greenF()) +
               0.0722 * channel(ink.blueF(), ground.blueF());
    };
    const double a = luminance(ink.alphaF());
    const double b = luminance(0);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// On every page of a dark desktop, every text reads at least 3:1 over what lies behind it (large
// and secondary text by WCAG's measure) and the rule under the title can be seen. Names and models
// come from other users' processes and from drivers: a label that guessed them to be rich text
// would draw their markup, or fetch the images it names.
TEST_F(MainViewTest, EveryPageShowsTheMachinesTextPlainAndLegibleOnADarkDesktop) {
    const QPalette light = QApplication::palette();
    // Adwaita-dark's colours, as a GTK desktop's dark style hands them to Qt applications.
    QPalette dark(QColor(0x30, 0x30, 0x30), QColor(0x24, 0x24, 0x24));
    for (const auto role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText}) {
        dark.setColor(role, QColor(0xff, 0xff, 0xff));
    }
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    QApplication::setPalette(dark);
    const std::vector<QString> markups{QStringLiteral("<b>chip</b>"), QStringLiteral("<i>gpu</i>"),
                                       QStringLiteral("<u>app</u>")};
    machine.info = {.chip = "<b>chip</b>", .cores = 1, .gpuName = "<i>gpu</i>"};
    machine.queueProcessorLoad(0.35, 0.2);
    machine.setMemory(16ULL << 30, 11ULL << 30, MemoryPressure::normal);
    machine.setGpuLoad(42);
    machine.processes->listing = {7, 8};
    for (const std::int32_t pid : {7, 8}) {
        machine.processes->processes[pid] = {
            .usage =
                ProcessUsage{
                    .physicalFootprint = 300ULL << 20, .startTime = 1, .shortName = "<u>app</u>"},
            .path = "/usr/bin/<u>app</u>",
            .name = "<u>app</u>"};
    }
    machine.processes->processes[7].usage.gpu = ProcessGpu{.percent = 12.5};
    open();
    view->resize(1080, 900);
    view->show();
    ASSERT_TRUE(runPass(*store));
    EXPECT_EQ(view->badge(Page::gpu), QStringLiteral("42%"));

    std::set<QString> shown;
    for (const Page page : allPages) {
        view->setPage(page);
        QApplication::processEvents();
        const QImage image = testing::rendered(
            *view, QStringLiteral("dark-") + QString::fromStdString(std::string(rawValue(page))));
        for (const QLabel* label : view->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty()) {
                continue;
            }
            const QColor ground = image.pixelColor(label->mapTo(view.get(), QPoint(0, 0)));
            EXPECT_GE(contrast(label->palette().color(label->foregroundRole()), ground), 3.0)
                << rawValue(page) << ": " << label->text().toStdString();
            for (const QString& markup : markups) {
                if (label->text().contains(markup)) {
                    shown.insert(markup);
                    EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
                }
            }
        }
        const auto* rule = view->findChild<QFrame*>(QStringLiteral("titleRule"));
        ASSERT_NE(rule, nullptr);
        const QPoint onRule = rule->mapTo(view.get(), rule->rect().center());
        EXPECT_GE(contrast(image.pixelColor(onRule), image.pixelColor(onRule + QPoint(0, 4))), 1.3)
            << rawValue(page);
    }
    EXPECT_EQ(shown.size(), markups.size());
    QApplication::setPalette(light);
}

}  // namespace
}  // namespace vantric
