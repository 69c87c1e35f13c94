#include "widgets/views/vitals_widget_view.hpp"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QPainter>

#include <gtest/gtest.h>

#include "support/rendered.hpp"
#include "widgets/views/palette.hpp"
#include "widgets/views/widget_layout.hpp"
#include "widgets/views/widget_metrics.hpp"

namespace vantric {
namespace {

using testing::pixelsNear;
using testing::rendered;

constexpr std::uint64_t gib = 1024ULL * 1024 * 1024;
constexpr std::uint64_t mib = 1024ULL * 1024;
const NumberSymbols english{};
const QString dot = QStringLiteral(" \u00B7 ");

// A busy machine, with the sample entry's hour of history.
VitalsEntry busyEntry() {
    VitalsEntry entry = VitalsEntry::placeholder(AbsoluteTime::now());
    entry.cpu = {.total = 0.57, .user = 0.41, .system = 0.16};
    entry.memory = {.total = 32 * gib,
                    .app = 18 * gib,
                    .wired = 3 * gib,
                    .compressed = 512 * mib,
                    .cached = 6 * gib,
                    .pressure = MemoryPressure::warning};
    entry.gpu = {.available = true, .utilization = 0.93, .memoryInUse = 3 * gib + 300 * mib};
    return entry;
}

VitalsEntry withCpu(double total) {
    VitalsEntry entry = VitalsEntry::placeholder(AbsoluteTime::now());
    entry.cpu = {.total = total, .user = total * 0.7, .system = total * 0.3};
    entry.history.clear();
    return entry;
}

TEST(SmallMetricTexts, CpuReadsTotalSplitAndTurnsCriticalAtNinetyPercent) {
    VitalsEntry entry = withCpu(0.32);
    entry.cpu = {.total = 0.32, .user = 0.21, .system = 0.11};
    const SmallMetric cpu = smallMetric(VitalsWidgetKind::cpu, entry, english);
    EXPECT_EQ(cpu.value, "32");
    EXPECT_EQ(cpu.caption, "User 21%" + dot + "Sys 11%");
    EXPECT_DOUBLE_EQ(cpu.fraction, 0.32);
    EXPECT_EQ(smallMetric(VitalsWidgetKind::cpu, withCpu(0.89), english).color, Palette::cpu());
    EXPECT_EQ(smallMetric(VitalsWidgetKind::cpu, withCpu(0.9), english).color, Palette::critical());
}

// Cached memory is not in use: 18 + 3 + 0.5 GiB of 32.
TEST(SmallMetricTexts, MemoryShowsUsedOfTotalInTheLocaleAndItsPressure) {
    VitalsEntry entry = busyEntry();
    for (const auto& [pressure, color, label] :
         {std::tuple{MemoryPressure::normal, Palette::memory(), "Normal"},
          std::tuple{MemoryPressure::warning, Palette::elevated(), "Elevated"},
          std::tuple{MemoryPressure::critical, Palette::critical(), "Critical"}}) {
        entry.memory.pressure = pressure;
        const SmallMetric memory = smallMetric(VitalsWidgetKind::memory, entry, english);
        EXPECT_EQ(memory.color, color) << label;
        EXPECT_EQ(memory.value, "21.5") << label;
        EXPECT_EQ(memory.caption, "of 32 GB" + dot + label);
        EXPECT_DOUBLE_EQ(memory.fraction, 21.5 / 32);
    }
    const NumberSymbols german{.decimalSeparator = ",", .groupSeparator = "."};
    EXPECT_EQ(smallMetric(VitalsWidgetKind::memory, entry, german).value, "21,5");
}

TEST(SmallMetricTexts, GpuShowsItsMemoryOrSaysItCannotBeRead) {
    VitalsEntry entry = busyEntry();
    const SmallMetric gpu = smallMetric(VitalsWidgetKind::gpu, entry, english);
    EXPECT_EQ(
        std::tuple(gpu.value, gpu.caption, gpu.color),
        std::tuple(QStringLiteral("93"), QStringLiteral("Memory 3.3 GB"), Palette::critical()));
    entry.gpu = {};
    const SmallMetric missing = smallMetric(VitalsWidgetKind::gpu, entry, english);
    EXPECT_EQ(missing.value, QStringLiteral("\u2013"));
    EXPECT_EQ(missing.caption, "Not available");

    // The overview's columns say the same, without captions.
    const auto columns = overviewColumns(entry, english);
    EXPECT_EQ(columns[0].figure, "57");
    EXPECT_EQ(columns[1].figure + ' ' + columns[1].unit, "21.5 GB");
    EXPECT_EQ(columns[1].color, Palette::elevated());
    EXPECT_EQ(columns[2].figure, QStringLiteral("\u2013"));
}

TEST(WidgetClockTime, IsHoursAndMinutesInTheDefaultLocale) {
    const QDateTime local(QDate(2024, 5, 6), QTime(15, 7, 42));
    const AbsoluteTime date = AbsoluteTime::from(std::chrono::system_clock::time_point(
        std::chrono::milliseconds(local.toMSecsSinceEpoch())));
    const QLocale saved;
    // The C locale's short format has seconds, which the widget leaves out.
    for (const QLocale& locale : {QLocale(QStringLiteral("de_DE")), QLocale::c()}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(widgetClockTime(date), "15:07") << locale.name().toStdString();
    }
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const QString english = widgetClockTime(date);
    QLocale::setDefault(saved);
    EXPECT_TRUE(english.startsWith("3:07") && english.endsWith("PM")) << english.toStdString();
}

SmallWidgetLayout smallLayout(const QString& value, const QString& unit, const QString& caption) {
    return layoutSmallWidget(
        QRectF(0, 0, 164, 164),
        {.title = QStringLiteral("Memory"), .value = value, .unit = unit, .caption = caption},
        "9:41 AM");
}

constexpr double figureColumnRight = 16 + 132 - 34 - 6;

TEST(SmallWidgetLayout, AShortFigureKeepsItsSizeAndItsUnitsBaseline) {
    const SmallWidgetLayout layout = smallLayout("32", "%", "User 21%");
    EXPECT_EQ(layout.figureScale, 1);
    EXPECT_EQ(layout.captionScale, 1);
    EXPECT_EQ(layout.unit.origin.y(), layout.value.origin.y());
    EXPECT_NEAR(layout.unit.box().left() - layout.value.box().right(), 2, 1e-9);
}

TEST(SmallWidgetLayout, AWideFigureShrinksToStayLeftOfTheRing) {
    const SmallWidgetLayout mb = smallLayout("1023", "MB", "");
    EXPECT_LT(mb.figureScale, 1);
    EXPECT_GE(mb.figureScale, 0.6);
    EXPECT_NEAR(mb.unit.box().right(), figureColumnRight, 0.01);
    EXPECT_NEAR(mb.value.font.pixelSize(), 30 * mb.figureScale, 1e-9);
    EXPECT_LE(mb.unit.box().right(), mb.ring.left());

    // Shrunk to the 60% floor, the unit gives way rather than running into the ring.
    const SmallWidgetLayout huge = smallLayout("100", "requests per second", "");
    EXPECT_DOUBLE_EQ(huge.figureScale, 0.6);
    EXPECT_LE(huge.unit.box().right(), figureColumnRight + 0.01);
    EXPECT_TRUE(huge.unit.text.endsWith(QChar(0x2026))) << huge.unit.text.toStdString();
}

TEST(SmallWidgetLayout, ACaptionShrinksWholeBeforeItIsElided) {
    const QString split = "User 21%" + dot + "Sys 11%";
    const SmallWidgetLayout shrunk = smallLayout("32", "%", split);
    EXPECT_LT(shrunk.captionScale, 1);
    EXPECT_GT(shrunk.captionScale, 0.75);
    EXPECT_EQ(shrunk.caption.text, split);
    EXPECT_NEAR(shrunk.caption.box().right(), figureColumnRight, 0.01);

    const SmallWidgetLayout elided =
        smallLayout("9", "%", "User 100%" + dot + "Sys 100%" + dot + "Nice 100%");
    EXPECT_DOUBLE_EQ(elided.captionScale, 0.75);
    EXPECT_TRUE(elided.caption.text.endsWith(QChar(0x2026))) << elided.caption.text.toStdString();
    EXPECT_LE(elided.caption.box().right(), figureColumnRight + 0.01);
}

TEST(SmallWidgetLayout, ElementsStackInOrderInsideThePadding) {
    const SmallMetric metric = smallMetric(VitalsWidgetKind::memory, busyEntry(), english);
    const QRectF whole(10, 20, 164, 164);
    const SmallWidgetLayout layout = layoutSmallWidget(whole, metric, "12:45 PM");
    EXPECT_EQ(layout.content, whole.adjusted(16, 16, -16, -16));
    const QRectF header = layout.symbol.united(layout.title.box()).united(layout.time.box());
    EXPECT_TRUE(layout.content.contains(header));
    EXPECT_LE(layout.title.box().right() + 4, layout.time.box().left());
    EXPECT_GE(layout.value.box().top() - header.bottom(), 4);
    EXPECT_LE(layout.value.box().bottom(), layout.caption.box().top());
    EXPECT_GE(layout.spark.top() - std::max(layout.caption.box().bottom(), layout.ring.bottom()),
              6);
    EXPECT_TRUE(layout.content.contains(layout.spark.united(layout.ring)));
}

TEST(OverviewLayout, ThreeEqualColumnsFitTheContentWithoutOverlapping) {
    VitalsEntry entry = busyEntry();
    entry.memory.app = 1023 * mib;
    entry.memory.wired = 0;
    entry.memory.compressed = 0;
    const auto columns = overviewColumns(entry, english);
    ASSERT_EQ(columns[1].figure, "1,023");
    const OverviewLayout layout = layoutOverview(QRectF(0, 0, 344, 164), columns);
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
        const OverviewColumnLayout& column = layout.columns.at(i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(layout.content.contains(column.column));
        EXPECT_TRUE(i == 0 || column.column.left() > layout.columns.at(i - 1).column.right());
        EXPECT_NEAR(column.figure.box().center().x(), column.ring.center().x(), 1e-9);
        // The figure sits over the unit, the two centred on the ring together.
        EXPECT_NEAR((column.figure.box().top() + column.unit.box().bottom()) / 2,
                    column.ring.center().y(), 1e-9);
        EXPECT_TRUE(column.column.contains(column.symbol.united(column.title.box())));
        EXPECT_TRUE(column.column.contains(column.spark));
    }
    // The four digits shrink to fit inside their ring; the two do not.
    EXPECT_LT(layout.columns[1].figureScale, 1);
    EXPECT_EQ(layout.columns[0].figureScale, 1);
}

struct KindRender {
    const char* name;
    VitalsWidgetKind kind;
    std::vector<QColor> colors;
};

class EveryKind : public ::testing::TestWithParam<KindRender> {};

// Rings and graphs draw in the figure colours at full opacity, from the sample entry a new widget
// shows as from a real one, on a rounded card whose corners stay transparent.
TEST_P(EveryKind, DrawsItsFiguresInTheirColoursOnARoundedCard) {
    VitalsWidgetView view(GetParam().kind);
    const QImage unread = rendered(view, QStringLiteral("%1-unread").arg(GetParam().name));
    view.setEntry(VitalsEntry::placeholder(AbsoluteTime::now()));
    const QImage placeholder =
        rendered(view, QStringLiteral("%1-placeholder").arg(GetParam().name));
    VitalsEntry busy = busyEntry();
    busy.gpu.utilization = 0.6;
    busy.memory.pressure = MemoryPressure::normal;
    view.setEntry(busy);
    const QImage real = rendered(view, QStringLiteral("%1-real").arg(GetParam().name));
    EXPECT_NE(placeholder, unread);
    EXPECT_NE(real, placeholder);
    for (const QColor& color : GetParam().colors) {
        EXPECT_GT(pixelsNear(placeholder, color, 12), 40) << color.name().toStdString();
        EXPECT_GT(pixelsNear(real, color, 12), 40) << color.name().toStdString();
    }
    EXPECT_EQ(pixelsNear(placeholder, Palette::critical(), 12), 0);
    EXPECT_EQ(real.pixelColor(1, 1).alpha(), 0);  // outside the 22 px corner
    EXPECT_EQ(real.pixelColor(real.width() / 2, 2).alpha(), 255);
}

INSTANTIATE_TEST_SUITE_P(
    Widgets, EveryKind,
    ::testing::Values(KindRender{"cpu", VitalsWidgetKind::cpu, {Palette::cpu()}},
                      KindRender{"memory", VitalsWidgetKind::memory, {Palette::memory()}},
                      KindRender{"gpu", VitalsWidgetKind::gpu, {Palette::gpu()}},
                      KindRender{"overview",
                                 VitalsWidgetKind::overview,
                                 {Palette::cpu(), Palette::memory(), Palette::gpu()}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaintVitalsWidget, DrawsNoBackgroundTextInThePalettesColourAndAHighLoadCritical) {
    QPalette palette;
    palette.setColor(QPalette::WindowText, QColor(250, 0, 250));
    QImage image(164, 164, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintVitalsWidget(painter, QRectF(0, 0, 164, 164), VitalsWidgetKind::cpu, withCpu(0.95),
                          palette);
    }
    EXPECT_EQ(image.pixelColor(8, 82).alpha(), 0);  // in the padding
    EXPECT_EQ(image.pixelColor(156, 82).alpha(), 0);
    // The value is drawn at full opacity in the text colour.
    EXPECT_GT(pixelsNear(image, QColor(250, 0, 250), 4), 20);
    EXPECT_GT(pixelsNear(image, Palette::critical(), 12), 40);
}

}  // namespace
}  // namespace vantric
