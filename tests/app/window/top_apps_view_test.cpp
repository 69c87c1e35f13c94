#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/store/process_sample.hpp"
#include "app/window/app_row.hpp"
#include "app/window/top_apps_view.hpp"
#include "support/rendered.hpp"

namespace vantric {
namespace {

using Ids = std::vector<std::string>;

constexpr std::uint64_t mebibyte = 1ULL << 20;

AppUsage app(const std::string& id, double cpu, std::uint64_t memory, int processCount = 1,
             std::optional<double> gpu = std::nullopt) {
    return {.id = id,
            .name = id,
            .cpu = cpu,
            .memory = memory,
            .processCount = processCount,
            .gpu = gpu};
}

AppUsage gpuApp(const std::string& id, std::optional<double> gpu, std::uint64_t memory) {
    return app(id, 0, memory, 1, gpu);
}

Ids ids(const std::vector<AppUsage>& apps) {
    Ids result;
    for (const AppUsage& usage : apps) {
        result.push_back(usage.id);
    }
    return result;
}

Ids shownIds(const TopAppsView& view) {
    Ids result;
    for (int i = 0; i < view.rowCount(); ++i) {
        result.push_back(view.row(i).app().id);
    }
    return result;
}

// The further down the list, the busier and the smaller.
std::vector<AppUsage> manyApps(int count) {
    std::vector<AppUsage> apps;
    for (int i = 0; i < count; ++i) {
        apps.push_back(
            app("app" + std::to_string(i), i, static_cast<std::uint64_t>(count - i) * mebibyte));
    }
    return apps;
}

TEST(TopAppsRowsTest, BreaksShareTiesByMemoryButMemoryTiesByTheStoreOrder) {
    const std::tuple<const char*, std::vector<AppUsage>, AppSort, Ids> rows[] = {
        {"cpuTieByMemory",
         {app("small", 5, 10), app("big", 5, 90), app("busy", 7, 1)},
         AppSort::cpu,
         {"busy", "big", "small"}},
        // CPU is no second key: "idle" stays before "busy" although it uses less.
        {"memoryTieByStoreOrder",
         {app("idle", 1, 50), app("busy", 90, 50), app("large", 0, 70)},
         AppSort::memory,
         {"large", "idle", "busy"}},
        {"gpuTieByMemory",
         {gpuApp("small", 5, 10), gpuApp("big", 5, 90), gpuApp("busy", 7, 1)},
         AppSort::gpu,
         {"busy", "big", "small"}},
        // An app without a figure is not idle but unknown: below an idle one, however large.
        {"gpuUnknownBelowIdle",
         {gpuApp("unknown", std::nullopt, 900), gpuApp("idle", 0, 1), gpuApp("busy", 0.5, 1)},
         AppSort::gpu,
         {"busy", "idle", "unknown"}},
        {"gpuUnknownsByMemory",
         {gpuApp("a", std::nullopt, 1), gpuApp("b", std::nullopt, 5), gpuApp("c", std::nullopt, 1)},
         AppSort::gpu,
         {"b", "a", "c"}},
    };
    for (const auto& [name, apps, sort, expected] : rows) {
        EXPECT_EQ(ids(TopAppsView::rows(apps, sort, 8)), expected) << name;
    }
}

TEST(TopAppsViewTest, ShowsTheFirstLimitRowsAfterSortingEachAfterADivider) {
    const std::vector<AppUsage> busiest = TopAppsView::rows(manyApps(20), AppSort::cpu, 8);
    ASSERT_EQ(busiest.size(), 8U);
    // The busiest of all, not of the first few.
    EXPECT_EQ(busiest.front().id, "app19");
    EXPECT_TRUE(TopAppsView::rows(manyApps(3), AppSort::cpu, -1).empty());

    TopAppsView view(12, AppSort::memory);
    view.setApps(manyApps(20), 20);
    EXPECT_EQ(shownIds(view), ids(TopAppsView::rows(manyApps(20), AppSort::memory, 12)));
    view.setApps(manyApps(3), 3);
    ASSERT_EQ(view.rowCount(), 3);
    const QLayout* layout = view.row(0).parentWidget()->layout();
    for (int i = 0; i < view.rowCount(); ++i) {
        const int index = layout->indexOf(&view.row(i));
        ASSERT_GE(index, 1);
        const QWidget* before = layout->itemAt(index - 1)->widget();
        ASSERT_NE(before, nullptr);
        EXPECT_EQ(before->height(), 1) << i;
    }
    // The dividers of rows that left went with them.
    EXPECT_EQ(layout->count(), 1 + 2 * view.rowCount());
}

TEST(TopAppsViewTest, CountsReadableProcessesInTheSubtitleAndOnRowsOfSeveral) {
    TopAppsView view(8, AppSort::memory);
    view.setApps({app("browser", 3, 900 * mebibyte, 2), app("shell", 1, 10 * mebibyte, 1)}, 412);
    EXPECT_TRUE(view.subtitle()->endsWith(QStringLiteral(" \u00B7 412 of your processes")));
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_TRUE(view.row(0).showsProcessLine());
    EXPECT_EQ(view.row(0).processText(), QStringLiteral("2 processes"));
    EXPECT_FALSE(view.row(1).showsProcessLine());
}

TEST(TopAppsViewTest, SwitchingTheSortSwapsTheBoldColumnAndTheOrder) {
    TopAppsView view(12, AppSort::memory);

    view.setApps({app("compiler", 180, 400 * mebibyte), app("browser", 20, 3000 * mebibyte),
                  app("game", 5, 10 * mebibyte, 1, 60)},
                 3);
    EXPECT_EQ(shownIds(view), (Ids{"browser", "compiler", "game"}));
    EXPECT_TRUE(view.row(0).memoryBold());
    EXPECT_FALSE(view.row(0).cpuBold());
    EXPECT_FALSE(view.row(0).gpuBold());

    // The sort control's segments, in the order of the columns: CPU, GPU, memory; each makes its
    // own column, and only that, bold.
    const QList<QToolButton*> segments = view.findChildren<QToolButton*>();
    ASSERT_EQ(segments.size(), 3);
    EXPECT_TRUE(segments[2]->isChecked());
    view.show();
    const std::tuple<int, Ids, bool, bool> clicks[] = {
        {0, {"compiler", "browser", "game"}, true, false},
        {1, {"game", "browser", "compiler"}, false, true},
    };
    for (const auto& [segment, order, cpuBold, gpuBold] : clicks) {
        QTest::mouseClick(segments[segment], Qt::LeftButton);
        EXPECT_FALSE(segments[2]->isChecked()) << segment;
        EXPECT_EQ(shownIds(view), order) << segment;
        for (int i = 0; i < view.rowCount(); ++i) {
            EXPECT_EQ(view.row(i).cpuBold(), cpuBold) << segment;
            EXPECT_EQ(view.row(i).gpuBold(), gpuBold) << segment;
            EXPECT_FALSE(view.row(i).memoryBold()) << segment;
        }
    }
    view.setSort(AppSort::memory);
    EXPECT_TRUE(segments[2]->isChecked());
}

TEST(TopAppsViewTest, KeepsEachAppsRowWidgetWhileItStaysListed) {
    TopAppsView view(8, AppSort::cpu);
    view.show();
    view.setApps({app("a", 50, 1), app("b", 10, 1), app("c", 5, 1)}, 3);
    const AppRow* a = &view.row(0);
    const AppRow* b = &view.row(1);
    view.setApps({app("a", 1, 1), app("b", 60, 1), app("d", 30, 1)}, 3);
    EXPECT_EQ(shownIds(view), (Ids{"b", "d", "a"}));
    EXPECT_EQ(&view.row(0), b);
    EXPECT_EQ(&view.row(2), a);
    EXPECT_EQ(view.row(2).cpuText(), QStringLiteral("1.0%"));
    // The new row is laid out in its place too.
    QApplication::processEvents();
    EXPECT_LT(view.row(0).y(), view.row(1).y());
    EXPECT_LT(view.row(1).y(), view.row(2).y());
}

TEST(AppRowTest, FormatsItsFiguresInTheLocaleAndElidesALongNameWhichItsTooltipShowsWhole) {
    AppRow row;
    row.setApp(app("editor", 12.34, 1536 * mebibyte, 1, 45.67), AppSort::cpu);
    EXPECT_EQ(row.cpuText(), QStringLiteral("12.3%"));
    EXPECT_EQ(row.gpuText(), QStringLiteral("45.7%"));
    EXPECT_EQ(row.memoryText(), QStringLiteral("1.50 GB"));
    const QLocale before;
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&row, &change);
    QLocale::setDefault(before);
    EXPECT_EQ(row.cpuText(), QStringLiteral("12,3%"));
    EXPECT_EQ(row.gpuText(), QStringLiteral("45,7%"));
    EXPECT_EQ(row.memoryText(), QStringLiteral("1,50 GB"));

    const std::string name = "<b>" + std::string(200, 'w');
    row.setApp(app(name, 1, mebibyte), AppSort::cpu);
    testing::showAt(row, 400);
    EXPECT_TRUE(row.nameText().endsWith(QChar(0x2026)));
    QString tip;
    for (const QLabel* label : row.findChildren<QLabel*>()) {
        tip += label->toolTip();
    }
    EXPECT_EQ(QTextDocumentFragment::fromHtml(tip).toPlainText(), QString::fromStdString(name));
    row.setApp(app("short", 1, mebibyte), AppSort::cpu);
    EXPECT_EQ(row.nameText(), QStringLiteral("short"));
    // No figure is a dash, and an idle app a 0.
    EXPECT_EQ(row.gpuText(), QStringLiteral("\u2013"));
    row.setApp(app("short", 1, mebibyte, 1, 0), AppSort::cpu);
    EXPECT_EQ(row.gpuText(), QStringLiteral("0.0%"));
}

}  // namespace
}  // namespace vantric
