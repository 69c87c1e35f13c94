#include <string>
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

namespace vantric {
namespace {

constexpr std::uint64_t mebibyte = 1ULL << 20;

AppUsage app(const std::string& id, double cpu, std::uint64_t memory, int processCount = 1) {
    return {.id = id,
            .name = id,
            .bundlePath = std::nullopt,
            .cpu = cpu,
            .memory = memory,
            .processCount = processCount};
}

std::vector<std::string> ids(const std::vector<AppUsage>& apps) {
    std::vector<std::string> result;
    for (const AppUsage& usage : apps) {
        result.push_back(usage.id);
    }
    return result;
}

std::vector<std::string> shownIds(const TopAppsView& view) {
    std::vector<std::string> result;
    for (int i = 0; i < view.rowCount(); ++i) {
        result.push_back(view.row(i).app().id);
    }
    return result;
}

std::vector<AppUsage> manyApps(int count) {
    std::vector<AppUsage> apps;
    for (int i = 0; i < count; ++i) {
        apps.push_back(
            app("app" + std::to_string(i), i, static_cast<std::uint64_t>(count - i) * mebibyte));
    }
    return apps;
}

QToolButton* segment(TopAppsView& view, const QString& label) {
    for (QToolButton* button : view.findChildren<QToolButton*>()) {
        if (button->text() == label) {
            return button;
        }
    }
    return nullptr;
}

TEST(TopAppsRowsTest, ByCpuPutsMoreMemoryFirstWhenCpuIsEqual) {
    const std::vector<AppUsage> apps{app("small", 5, 10), app("big", 5, 90), app("busy", 7, 1)};
    EXPECT_EQ(ids(TopAppsView::rows(apps, AppSort::cpu, 8)),
              (std::vector<std::string>{"busy", "big", "small"}));
}

TEST(TopAppsRowsTest, ByMemoryKeepsTheStoreOrderWhenMemoryIsEqual) {
    // CPU is no second key: "idle" stays before "busy" although it uses less.
    const std::vector<AppUsage> apps{app("idle", 1, 50), app("busy", 90, 50), app("large", 0, 70)};
    EXPECT_EQ(ids(TopAppsView::rows(apps, AppSort::memory, 8)),
              (std::vector<std::string>{"large", "idle", "busy"}));
}

TEST(TopAppsRowsTest, KeepsTheFirstLimitRows) {
    EXPECT_EQ(TopAppsView::rows(manyApps(20), AppSort::cpu, 8).size(), 8U);
    EXPECT_EQ(TopAppsView::rows(manyApps(20), AppSort::memory, 12).size(), 12U);
    EXPECT_EQ(TopAppsView::rows(manyApps(3), AppSort::cpu, 8).size(), 3U);
    EXPECT_EQ(TopAppsView::rows(manyApps(3), AppSort::memory, 12).size(), 3U);
    EXPECT_TRUE(TopAppsView::rows(manyApps(3), AppSort::cpu, 0).empty());
    // The limit applies after sorting: the busiest of all, not of the first few.
    EXPECT_EQ(TopAppsView::rows(manyApps(20), AppSort::cpu, 8).front().id, "app19");
    EXPECT_EQ(TopAppsView::rows(manyApps(20), AppSort::memory, 12).front().id, "app0");
}

TEST(TopAppsViewTest, ShowsAsManyRowsAsEachPageAsks) {
    TopAppsView overview(8, AppSort::cpu);
    TopAppsView cpuPage(12, AppSort::cpu);
    TopAppsView memoryPage(12, AppSort::memory);
    for (TopAppsView* view : {&overview, &cpuPage, &memoryPage}) {
        view->setApps(manyApps(20), 20);
    }
    EXPECT_EQ(overview.rowCount(), 8);
    EXPECT_EQ(cpuPage.rowCount(), 12);
    EXPECT_EQ(memoryPage.rowCount(), 12);
    EXPECT_EQ(shownIds(memoryPage), ids(TopAppsView::rows(manyApps(20), AppSort::memory, 12)));
    for (TopAppsView* view : {&overview, &cpuPage, &memoryPage}) {
        view->setApps(manyApps(3), 3);
        EXPECT_EQ(view->rowCount(), 3);
    }
}

TEST(TopAppsViewTest, PrecedesEveryRowWithADivider) {
    TopAppsView view(8, AppSort::cpu);
    view.setApps(manyApps(4), 4);
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

TEST(TopAppsViewTest, ShowsTheProcessLineOnlyForSeveralProcesses) {
    TopAppsView view(8, AppSort::memory);
    view.setApps({app("browser", 3, 900 * mebibyte, 2), app("shell", 1, 10 * mebibyte, 1)}, 3);
    ASSERT_EQ(view.rowCount(), 2);
    EXPECT_TRUE(view.row(0).showsProcessLine());
    EXPECT_EQ(view.row(0).processText(), QStringLiteral("2 processes"));
    EXPECT_FALSE(view.row(1).showsProcessLine());
}

TEST(TopAppsViewTest, SubtitleNamesTheReadableProcessCount) {
    TopAppsView view(8, AppSort::cpu);
    view.setApps(manyApps(5), 412);
    EXPECT_EQ(view.subtitle(),
              QStringLiteral("Helpers are counted with the app that owns them \u00B7 412 of your "
                             "processes"));
    view.setApps(manyApps(5), 1234);
    EXPECT_TRUE(view.subtitle()->endsWith(QStringLiteral(" 1234 of your processes")));
}

TEST(TopAppsViewTest, SwitchingTheSortSwapsTheBoldColumnAndTheOrder) {
    TopAppsView view(12, AppSort::memory);
    view.setApps({app("compiler", 180, 400 * mebibyte), app("browser", 20, 3000 * mebibyte)}, 2);
    EXPECT_EQ(shownIds(view), (std::vector<std::string>{"browser", "compiler"}));
    EXPECT_TRUE(view.row(0).memoryBold());
    EXPECT_FALSE(view.row(0).cpuBold());

    QToolButton* cpu = segment(view, QStringLiteral("CPU"));
    QToolButton* memory = segment(view, QStringLiteral("Memory"));
    ASSERT_NE(cpu, nullptr);
    ASSERT_NE(memory, nullptr);
    EXPECT_TRUE(memory->isChecked());
    view.show();
    QTest::mouseClick(cpu, Qt::LeftButton);
    EXPECT_EQ(view.sort(), AppSort::cpu);
    EXPECT_TRUE(cpu->isChecked());
    EXPECT_FALSE(memory->isChecked());
    EXPECT_EQ(shownIds(view), (std::vector<std::string>{"compiler", "browser"}));
    for (int i = 0; i < view.rowCount(); ++i) {
        EXPECT_TRUE(view.row(i).cpuBold());
        EXPECT_FALSE(view.row(i).memoryBold());
    }

    view.setSort(AppSort::memory);
    EXPECT_TRUE(memory->isChecked());
    EXPECT_EQ(shownIds(view), (std::vector<std::string>{"browser", "compiler"}));
}

TEST(TopAppsViewTest, KeepsEachAppsRowWidgetWhileItStaysListed) {
    TopAppsView view(8, AppSort::cpu);
    view.show();
    view.setApps({app("a", 50, 1), app("b", 10, 1), app("c", 5, 1)}, 3);
    const AppRow* a = &view.row(0);
    const AppRow* b = &view.row(1);
    view.setApps({app("a", 1, 1), app("b", 60, 1), app("d", 30, 1)}, 3);
    EXPECT_EQ(shownIds(view), (std::vector<std::string>{"b", "d", "a"}));
    EXPECT_EQ(&view.row(0), b);
    EXPECT_EQ(&view.row(2), a);
    EXPECT_EQ(view.row(2).app().cpu, 1);
    EXPECT_EQ(view.row(2).cpuText(), QStringLiteral("1.0%"));
    // The new row is laid out in its place too.
    QApplication::processEvents();
    EXPECT_TRUE(view.row(1).isVisible());
    EXPECT_LT(view.row(0).y(), view.row(1).y());
    EXPECT_LT(view.row(1).y(), view.row(2).y());
}

TEST(TopAppsViewTest, WithoutAppsShowsItsHeaderAndNoRows) {
    TopAppsView view(8, AppSort::cpu);
    view.setApps({}, 0);
    view.show();
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_EQ(view.title(), QStringLiteral("Top Apps"));
    EXPECT_TRUE(view.subtitle()->endsWith(QStringLiteral(" \u00B7 0 of your processes")));
    QStringList visible;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->isVisible()) {
            visible << label->text();
        }
    }
    for (const QString& header :
         {QStringLiteral("App"), QStringLiteral("CPU"), QStringLiteral("Memory")}) {
        EXPECT_TRUE(visible.contains(header)) << header.toStdString();
    }
    EXPECT_TRUE(view.findChildren<AppRow*>().empty());
}

TEST(AppRowTest, FormatsItsFiguresInTheCurrentLocale) {
    AppRow row;
    row.setApp(app("editor", 12.34, 1536 * mebibyte), AppSort::cpu);
    EXPECT_EQ(row.cpuText(), QStringLiteral("12.3%"));
    EXPECT_EQ(row.memoryText(), QStringLiteral("1.50 GB"));
    EXPECT_TRUE(row.cpuBold());
    EXPECT_FALSE(row.memoryBold());

    const QLocale before;
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&row, &change);
    QLocale::setDefault(before);
    EXPECT_EQ(row.cpuText(), QStringLiteral("12,3%"));
    EXPECT_EQ(row.memoryText(), QStringLiteral("1,50 GB"));
}

TEST(AppRowTest, ElidesALongNameToItsColumnAndShowsItWholeInTheTooltip) {
    AppRow row;
    const std::string name = "<b>" + std::string(200, 'w');
    row.setApp(app(name, 1, mebibyte), AppSort::cpu);
    row.resize(400, row.sizeHint().height());
    row.show();
    QApplication::processEvents();
    EXPECT_LT(row.nameText().size(), 200);
    EXPECT_TRUE(row.nameText().endsWith(QChar(0x2026)));
    QString tip;
    for (const QLabel* label : row.findChildren<QLabel*>()) {
        tip += label->toolTip();
    }
    EXPECT_EQ(QTextDocumentFragment::fromHtml(tip).toPlainText(), QString::fromStdString(name));
    row.setApp(app("short", 1, mebibyte), AppSort::cpu);
    EXPECT_EQ(row.nameText(), QStringLiteral("short"));
}

}  // namespace
}  // namespace vantric
