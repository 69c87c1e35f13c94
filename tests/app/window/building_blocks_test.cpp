#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/window/big_stat.hpp"
#include "app/window/card_background.hpp"
#include "app/window/detail_row.hpp"
#include "app/window/metric_card.hpp"
#include "app/window/section_card.hpp"
#include "app/window/text_styles.hpp"
#include "support/rendered.hpp"
#include "widgets/views/palette.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/spark_point.hpp"
#include "widgets/views/sparkline.hpp"
#include "widgets/views/symbol_icons.hpp"

namespace vantric {
namespace {

using testing::near;
using testing::pixelsNear;

void layOut(QWidget& widget, int width) {
    widget.resize(width, widget.sizeHint().height());
    widget.show();
    QApplication::processEvents();
}

MetricCard& filledCard(MetricCard& card) {
    card.setColor(Palette::cpu());
    card.setFigure(QStringLiteral("42"), QStringLiteral("%"));
    card.setFraction(0.42);
    card.setDetails({{.label = QStringLiteral("User"), .value = QStringLiteral("30%")},
                     {.label = QStringLiteral("System"), .value = QStringLiteral("12%")}});
    return card;
}

TEST(MetricCardTest, DrawsTheCriticalColourAtTheGaugesTwelveOClockArc) {
    MetricCard card(QStringLiteral("CPU"), QStringLiteral("cpu"));
    filledCard(card).setColor(Palette::critical());
    card.setFraction(0.95);
    layOut(card, 300);
    const QImage image = card.grab().toImage();
    const QRect gauge(card.gauge().mapTo(&card, QPoint(0, 0)), card.gauge().size());
    ASSERT_EQ(gauge.size(), QSize(30, 30));
    // Just clockwise of the top, in the middle of the 5 px stroke.
    const QPoint twelve(gauge.center().x() + 2, gauge.top() + 2);
    EXPECT_TRUE(near(image.pixelColor(twelve), Palette::critical(), 40))
        << image.pixelColor(twelve).name().toStdString();
    EXPECT_EQ(card.gauge().color(), Palette::critical());
    EXPECT_EQ(card.gauge().fraction(), 0.95);
}

TEST(MetricCardTest, EmitsClickedFromAnywhereOnTheCardAndFromTheKeyboard) {
    MetricCard card(QStringLiteral("CPU"), QStringLiteral("cpu"));
    layOut(filledCard(card), 300);
    QSignalSpy clicks(&card, &MetricCard::clicked);

    // The right-hand padding beside the sparkline holds no child at all.
    QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(card.width() - 5, card.height() / 2));
    EXPECT_EQ(clicks.count(), 1);
    // Over the sparkline, a child that draws but takes no input.
    const QPoint overSparkline = card.sparkline().geometry().center();
    QTest::mouseClick(&card, Qt::LeftButton, {}, overSparkline);
    EXPECT_EQ(clicks.count(), 2);
    QTest::mouseClick(&card, Qt::RightButton, {}, overSparkline);
    EXPECT_EQ(clicks.count(), 2);
    // Pressed on the card but released outside it: not a click, as with any button.
    QTest::mousePress(&card, Qt::LeftButton, {}, overSparkline);
    QTest::mouseRelease(&card, Qt::LeftButton, {}, QPoint(card.width() + 40, -10));
    EXPECT_EQ(clicks.count(), 2);

    QTest::keyClick(&card, Qt::Key_Space);
    QTest::keyClick(&card, Qt::Key_Return);
    QTest::keyClick(&card, Qt::Key_Enter);
    EXPECT_EQ(clicks.count(), 5);
    QTest::keyClick(&card, Qt::Key_A);
    EXPECT_EQ(clicks.count(), 5);
}

TEST(MetricCardTest, KeepsItsHeightWithAnEmptyHistory) {
    MetricCard empty(QStringLiteral("GPU"), QStringLiteral("square.3.layers.3d"));
    MetricCard full(QStringLiteral("CPU"), QStringLiteral("cpu"));
    filledCard(empty).setHistory({});
    filledCard(full).setHistory(std::vector<double>(120, 0.5));
    layOut(empty, 300);
    layOut(full, 300);
    EXPECT_EQ(empty.sparkline().height(), 56);
    EXPECT_EQ(full.sparkline().height(), 56);
    EXPECT_EQ(empty.sizeHint().height(), full.sizeHint().height());
    EXPECT_TRUE(empty.sparkline().points().empty());
}

TEST(MetricCardTest, PlacesAShortHistoryAtTheRightOfA120ValueSparkline) {
    MetricCard card(QStringLiteral("CPU"), QStringLiteral("cpu"));
    card.setHistory(std::vector<double>(30, 0.25));
    const std::vector<SparkPoint>& points = card.sparkline().points();
    ASSERT_EQ(points.size(), 30U);
    EXPECT_DOUBLE_EQ(points.back().x, 1.0);
    EXPECT_NEAR(points.front().x, 90.0 / 119.0, 1e-9);
    EXPECT_DOUBLE_EQ(points.front().y, 0.25);
}

TEST(MetricCardTest, ReusesItsDetailRowsAndDropsTheSurplus) {
    MetricCard card(QStringLiteral("Memory"), QStringLiteral("memorychip"));
    filledCard(card);
    const QList<DetailRow*> first = card.findChildren<DetailRow*>();
    ASSERT_EQ(first.size(), 2);
    card.setDetails({{.label = QStringLiteral("Pressure"), .value = QStringLiteral("Normal")},
                     {.label = QStringLiteral("Swap used"), .value = QStringLiteral("0 KB")}});
    EXPECT_EQ(card.findChildren<DetailRow*>(), first);
    EXPECT_EQ(card.details()[1],
              (DetailText{.label = QStringLiteral("Swap used"), .value = QStringLiteral("0 KB")}));
    card.setDetails({{.label = QStringLiteral("Model"), .value = QStringLiteral("iGPU")}});
    EXPECT_EQ(card.findChildren<DetailRow*>().size(), 1);
    EXPECT_EQ(card.details().size(), 1U);
}

// A repaint of part of a card, inside the padding, along an edge or over a corner, leaves the
// pixels that drawing the whole card gives.
TEST(CardSurfaceTest, RepaintsAnyPartAsDrawingTheWholeCardWould) {
    CardSurface card;
    card.resize(200, 120);
    const QImage whole = card.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect parts[] = {
        {40, 30, 60, 20}, {0, 40, 4, 20}, {60, 117, 30, 3}, {0, 0, 20, 20}, {185, 105, 15, 15}};
    for (const QRect& part : parts) {
        QImage repainted(card.size(), QImage::Format_ARGB32);
        repainted.fill(Qt::magenta);
        card.render(&repainted, part.topLeft(), QRegion(part));
        int differing = 0;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            for (int x = part.left(); x <= part.right(); ++x) {
                differing += repainted.pixel(x, y) != whole.pixel(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << part.x() << "," << part.y() << " " << part.width() << "x"
                                << part.height();
    }
}

TEST(SectionCardTest, HasNoEmptyLineWithoutASubtitle) {
    const auto make = [](std::optional<QString> subtitle) {
        auto card = std::make_unique<SectionCard>(QStringLiteral("Last 2 minutes"));
        auto* content = new QWidget;
        content->setFixedHeight(40);
        card->setContent(content);
        card->setSubtitle(std::move(subtitle));
        return card;
    };
    const auto plain = make(std::nullopt);
    const auto subtitled = make(QStringLiteral("Per core"));
    const auto cleared = make(QStringLiteral("Per core"));
    cleared->setSubtitle(std::nullopt);

    const int subtitleLine = QFontMetrics(TextStyle::callout()).height();
    EXPECT_GE(subtitled->sizeHint().height() - plain->sizeHint().height(), subtitleLine);
    EXPECT_EQ(cleared->sizeHint().height(), plain->sizeHint().height());
    EXPECT_EQ(plain->subtitle(), std::nullopt);
    EXPECT_EQ(subtitled->subtitle(), QStringLiteral("Per core"));
}

TEST(SectionCardTest, DeletesTheAccessoryAndContentItReplaces) {
    SectionCard card(QStringLiteral("Top Apps"));
    QPointer<QWidget> accessory = new QLabel(QStringLiteral("old"));
    QPointer<QWidget> content = new QLabel(QStringLiteral("old"));
    card.setAccessory(accessory);
    card.setContent(content);
    EXPECT_EQ(accessory->parentWidget(), &card);
    EXPECT_EQ(content->parentWidget(), &card);

    card.setAccessory(new QLabel(QStringLiteral("new")));
    card.setContent(nullptr);
    EXPECT_TRUE(accessory.isNull());
    EXPECT_TRUE(content.isNull());
    EXPECT_EQ(card.content(), nullptr);
}

TEST(BigStatTest, WithoutAUnitIsAsWideAsItsFigureAlone) {
    BigStat alone(QStringLiteral("U"));
    alone.setValue(QStringLiteral("12.34"));
    BigStat withUnit(QStringLiteral("U"));
    withUnit.setValue(QStringLiteral("12.34"), QStringLiteral("GB"));
    BigStat unitRemoved(QStringLiteral("U"));
    unitRemoved.setValue(QStringLiteral("12.34"), QStringLiteral("GB"));
    unitRemoved.setValue(QStringLiteral("12.34"));

    QLabel figure(QStringLiteral("12.34"));
    figure.setFont(TextStyle::figure(30, QFont::DemiBold));
    EXPECT_EQ(alone.sizeHint().width(), figure.sizeHint().width());
    EXPECT_EQ(unitRemoved.sizeHint().width(), figure.sizeHint().width());
    EXPECT_GT(withUnit.sizeHint().width(), figure.sizeHint().width());
    EXPECT_EQ(alone.unit(), std::nullopt);
    EXPECT_EQ(withUnit.unit(), QStringLiteral("GB"));
}

TEST(BigStatTest, DrawsTheFigureInItsColourOrInPrimaryText) {
    const QColor red(230, 20, 20);
    BigStat stat(QStringLiteral("Used"));
    stat.setValue(QStringLiteral("88"), QStringLiteral("%"));
    stat.setColor(red);
    layOut(stat, 200);
    EXPECT_GT(pixelsNear(stat.grab().toImage(), red, 30), 20);

    stat.setColor(std::nullopt);
    const QImage plain = stat.grab().toImage();
    EXPECT_EQ(pixelsNear(plain, red, 30), 0);
    EXPECT_GT(pixelsNear(plain, TextStyle::primaryText(stat.palette()), 30), 20);
}

TEST(DetailRowTest, ShowsLabelAtTheLeadingAndValueAtTheTrailingEdge) {
    DetailRow row;
    row.setText({.label = QStringLiteral("Swap used"), .value = QStringLiteral("1.25 GB")});
    EXPECT_EQ(row.text(), (DetailText{.label = QStringLiteral("Swap used"),
                                      .value = QStringLiteral("1.25 GB")}));
    layOut(row, 300);
    const QList<QLabel*> labels = row.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    const QLabel* label = labels[0]->text() == QStringLiteral("Swap used") ? labels[0] : labels[1];
    const QLabel* value = label == labels[0] ? labels[1] : labels[0];
    EXPECT_EQ(label->geometry().left(), 0);
    EXPECT_EQ(value->geometry().right(), row.width() - 1);
    EXPECT_EQ(label->palette().color(QPalette::WindowText),
              TextStyle::secondaryText(row.palette()));
    EXPECT_EQ(value->palette().color(QPalette::WindowText), TextStyle::primaryText(row.palette()));
}

TEST(SymbolIconsTest, DrawsEveryPageSymbolInTheTintAtTheDevicePixelRatio) {
    const QColor tint(10, 200, 30);
    for (const char* name : {"gauge.with.dots.needle.33percent", "cpu", "memorychip",
                             "square.3.layers.3d", "widget.small"}) {
        const QPixmap pixmap = symbolPixmap(QLatin1String(name), 16, tint, 2);
        EXPECT_EQ(pixmap.size(), QSize(32, 32)) << name;
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0) << name;
        const QImage image = pixmap.toImage();
        int inked = 0;
        bool onlyTint = true;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 255) {
                    ++inked;
                    onlyTint = onlyTint && pixel == tint;
                }
            }
        }
        EXPECT_GT(inked, 40) << name;
        EXPECT_TRUE(onlyTint) << name;
    }
    EXPECT_TRUE(symbolPixmap(QStringLiteral("no.such.symbol"), 16, tint, 1).isNull());
}

TEST(SymbolIconsTest, FallsBackToTheBundledSymbolWithoutATheme) {
    // Offscreen there is no icon theme, so even the symbol the theme could supply is bundled.
    const QIcon overview = symbolIcon(QStringLiteral("gauge.with.dots.needle.33percent"));
    ASSERT_FALSE(overview.isNull());
    const QPixmap sharp = overview.pixmap(QSize(16, 16), 2);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_GT(pixelsNear(sharp.toImage(), QApplication::palette().color(QPalette::WindowText), 0),
              40);
    EXPECT_FALSE(symbolIcon(QStringLiteral("cpu")).isNull());
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
}

}  // namespace
}  // namespace vantric
