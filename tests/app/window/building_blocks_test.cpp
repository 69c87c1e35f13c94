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
#include "app/window/figure_label.hpp"
#include "app/window/metric_card.hpp"
#include "app/window/section_card.hpp"
#include "app/window/text_styles.hpp"
#include "support/rendered.hpp"
#include "widgets/views/palette.hpp"
#include "widgets/views/ring_gauge.hpp"
#include "widgets/views/sparkline.hpp"
#include "widgets/views/symbol_icons.hpp"

namespace vantric {
namespace {

using testing::near;
using testing::pixelsNear;
using testing::showAt;

struct MetricCardTest : ::testing::Test {
    void SetUp() override {
        card.setColor(Palette::cpu());
        card.setFigure(QStringLiteral("42"), QStringLiteral("%"));
        card.setFraction(0.42);
        card.setDetails({{.label = QStringLiteral("User"), .value = QStringLiteral("30%")},
                         {.label = QStringLiteral("System"), .value = QStringLiteral("12%")}});
    }

    MetricCard card{QStringLiteral("CPU"), QStringLiteral("cpu")};
};

TEST_F(MetricCardTest, DrawsItsFractionAndItsHistoryInTheCardsColour) {
    card.setColor(Palette::critical());
    card.setFraction(0.95);
    // 30 values of a sparkline that holds 120: drawn from 90 / 119 of its width on.
    card.setHistory(std::vector<double>(30, 0.5));
    showAt(card, 300);
    const QImage image = card.grab().toImage();
    const QRect gauge(card.gauge().mapTo(&card, QPoint(0, 0)), card.gauge().size());
    // A sparkline asks for no height of its own: the card gives it one.
    const QRect sparkline = card.sparkline().geometry();
    ASSERT_GE(sparkline.height(), 40);
    const auto alongSparkline = [&](double share) {
        return QPoint(sparkline.left() + static_cast<int>(share * sparkline.width()),
                      sparkline.center().y());
    };
    // On the gauge just clockwise of the top and at the bottom, in the middle of the 5 px stroke.
    for (const QPoint& point : {QPoint(gauge.center().x() + 2, gauge.top() + 2),
                                QPoint(gauge.center().x(), gauge.bottom() - 2)}) {
        EXPECT_TRUE(near(image.pixelColor(point), Palette::critical(), 40))
            << image.pixelColor(point).name().toStdString();
    }
    // The sparkline's 1.5 px line covers no row whole, so its colour comes back paler.
    EXPECT_TRUE(near(image.pixelColor(alongSparkline(0.8)), Palette::critical(), 60));
    EXPECT_FALSE(near(image.pixelColor(alongSparkline(0.7)), Palette::critical(), 60));
}

TEST_F(MetricCardTest, EmitsClickedFromAnywhereOnTheCardAndFromTheKeyboard) {
    showAt(card, 300);
    QSignalSpy clicks(&card, &MetricCard::clicked);
    // Over the sparkline, a child that draws but takes no input.
    const QPoint overSparkline = card.sparkline().geometry().center();
    QTest::mouseClick(&card, Qt::LeftButton, {}, overSparkline);
    QTest::mouseClick(&card, Qt::RightButton, {}, overSparkline);
    // Pressed on the card but released outside it: not a click, as with any button.
    QTest::mousePress(&card, Qt::LeftButton, {}, overSparkline);
    QTest::mouseRelease(&card, Qt::LeftButton, {}, QPoint(card.width() + 40, -10));
    EXPECT_EQ(clicks.count(), 1);
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A}) {
        QTest::keyClick(&card, key);
    }
    EXPECT_EQ(clicks.count(), 4);
}

TEST_F(MetricCardTest, ReusesItsDetailRowsAndDropsTheSurplus) {
    const QList<DetailRow*> first = card.findChildren<DetailRow*>();
    ASSERT_EQ(first.size(), 2);
    const DetailText swap{.label = QStringLiteral("Swap used"), .value = QStringLiteral("0 KB")};
    card.setDetails(
        {{.label = QStringLiteral("Pressure"), .value = QStringLiteral("Normal")}, swap});
    EXPECT_EQ(card.findChildren<DetailRow*>(), first);
    EXPECT_EQ(card.details()[1], swap);
    card.setDetails({swap});
    EXPECT_EQ(card.findChildren<DetailRow*>().size(), 1);
}

// A repaint of part of a card, inside the padding, along an edge or within a corner, leaves the
// pixels that drawing the whole card gives.
TEST(CardSurfaceTest, RepaintsAnyPartAsDrawingTheWholeCardWould) {
    CardSurface card;
    card.resize(200, 120);
    const QImage whole = card.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRect parts[] = {
        {40, 30, 60, 20}, {0, 40, 4, 20}, {60, 117, 30, 3}, {3, 3, 12, 12}, {185, 105, 15, 15}};
    for (const QRect& part : parts) {
        QImage repainted(card.size(), QImage::Format_ARGB32);
        repainted.fill(Qt::magenta);
        card.render(&repainted, part.topLeft(), QRegion(part));
        EXPECT_EQ(repainted.copy(part), whole.copy(part))
            << part.x() << "," << part.y() << " " << part.width() << "x" << part.height();
    }
}

TEST(SectionCardTest, TakesRoomForASubtitleOnlyWhileItHasOneAndDeletesWhatItReplaces) {
    SectionCard plain(QStringLiteral("Cores"));
    SectionCard subtitled(QStringLiteral("Cores"));
    subtitled.setSubtitle(QStringLiteral("Per core"));
    SectionCard cleared(QStringLiteral("Cores"));
    cleared.setSubtitle(QStringLiteral("Per core"));
    cleared.setSubtitle(std::nullopt);
    EXPECT_GE(subtitled.sizeHint().height() - plain.sizeHint().height(),
              QFontMetrics(TextStyle::callout()).height());
    EXPECT_EQ(cleared.sizeHint().height(), plain.sizeHint().height());

    QPointer<QWidget> accessory = new QLabel(QStringLiteral("old"));
    QPointer<QWidget> content = new QLabel(QStringLiteral("old"));
    plain.setAccessory(accessory);
    plain.setContent(content);
    EXPECT_EQ(accessory->parentWidget(), &plain);
    EXPECT_EQ(content->parentWidget(), &plain);
    plain.setAccessory(new QLabel(QStringLiteral("new")));
    plain.setContent(nullptr);
    EXPECT_TRUE(accessory.isNull());
    EXPECT_TRUE(content.isNull());
}

TEST(BigStatTest, TakesNoRoomForAUnitItDoesNotShowAndDrawsInItsColourOrPrimaryText) {
    BigStat alone(QStringLiteral("U"));
    alone.setValue(QStringLiteral("12.34"));
    BigStat withUnit(QStringLiteral("U"));
    withUnit.setValue(QStringLiteral("12.34"), QStringLiteral("GB"));
    BigStat unitRemoved(QStringLiteral("U"));
    unitRemoved.setValue(QStringLiteral("12.34"), QStringLiteral("GB"));
    unitRemoved.setValue(QStringLiteral("12.34"));
    EXPECT_GT(withUnit.sizeHint().width(), alone.sizeHint().width());
    EXPECT_EQ(unitRemoved.sizeHint().width(), alone.sizeHint().width());
    EXPECT_EQ(unitRemoved.unit(), std::nullopt);

    const QColor red(230, 20, 20);
    withUnit.setColor(red);
    showAt(withUnit, 200);
    EXPECT_GT(pixelsNear(withUnit.grab().toImage(), red, 30), 20);
    withUnit.setColor(std::nullopt);
    EXPECT_GT(pixelsNear(withUnit.grab().toImage(), TextStyle::primaryText(withUnit.palette()), 30),
              20);
}

TEST(DetailRowTest, ShowsTheGreyLabelAtTheLeadingAndTheValueAtTheTrailingEdge) {
    DetailRow row;
    row.setText({.label = QStringLiteral("Swap used"), .value = QStringLiteral("1.25 GB")});
    showAt(row, 300);
    QList<QLabel*> labels = row.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    if (labels[0]->text() != QStringLiteral("Swap used")) {
        labels.swapItemsAt(0, 1);
    }
    EXPECT_EQ(labels[0]->geometry().left(), 0);
    EXPECT_EQ(labels[1]->geometry().right(), row.width() - 1);
    EXPECT_EQ(labels[0]->palette().color(QPalette::WindowText),
              TextStyle::secondaryText(row.palette()));
}

// A figure's new text of the same width repaints the figure alone; one of another width takes
// that width, within the same reading's layout.
TEST(FigureLabelTest, LaysOutItsParentOnlyWhenItsTextNeedsAnotherSize) {
    struct LayoutRequests : QObject {
        int count = 0;
        bool eventFilter(QObject* /*watched*/, QEvent* event) override {
            count += event->type() == QEvent::LayoutRequest ? 1 : 0;
            return false;
        }
    };
    BigStat stat(QStringLiteral("Total"));
    stat.setValue(QStringLiteral("12"), QStringLiteral("%"));
    showAt(stat, 200, 80);
    LayoutRequests requests;
    stat.installEventFilter(&requests);
    const auto settle = [] { QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest); };

    stat.setValue(QStringLiteral("47"), QStringLiteral("%"));
    settle();
    EXPECT_EQ(requests.count, 0);

    stat.setValue(QStringLiteral("100"), QStringLiteral("%"));
    settle();
    EXPECT_EQ(requests.count, 1);
    // Exactly the size a plain label would ask for, after growing and after shrinking too.
    const auto sameAsPlainLabel = [&stat] {
        for (const QLabel* label : stat.findChildren<FigureLabel*>()) {
            QLabel plain(label->text());
            plain.setFont(label->font());
            plain.setContentsMargins(label->contentsMargins());
            EXPECT_EQ(label->size(), plain.sizeHint()) << label->text().toStdString();
        }
    };
    sameAsPlainLabel();
    stat.setValue(QStringLiteral("9"), QStringLiteral("%"));
    settle();
    EXPECT_EQ(requests.count, 2);
    sameAsPlainLabel();

    // Flush right, a figure that loses a digit keeps its box, and its place.
    DetailRow row;
    row.setText({.label = QStringLiteral("User"), .value = QStringLiteral("100%")});
    showAt(row, 200, 30);
    row.installEventFilter(&requests);
    requests.count = 0;
    row.setText({.label = QStringLiteral("User"), .value = QStringLiteral("9%")});
    settle();
    EXPECT_EQ(requests.count, 0);
    const auto* value = row.findChild<FigureLabel*>();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->text(), QStringLiteral("9%"));
    EXPECT_EQ(value->geometry().right(), row.width() - 1);
    EXPECT_GE(value->width(), value->sizeHint().width());
}

TEST(SymbolIconsTest, DrawsEveryPageSymbolInTheTintAtTheDevicePixelRatio) {
    const QColor tint(10, 200, 30);
    for (const char* name : {"gauge.with.dots.needle.33percent", "cpu", "memorychip",
                             "square.3.layers.3d", "widget.small"}) {
        const QPixmap pixmap = symbolPixmap(QLatin1String(name), 16, tint, 2);
        EXPECT_EQ(pixmap.size(), QSize(32, 32)) << name;
        EXPECT_EQ(pixmap.devicePixelRatio(), 2.0) << name;
        EXPECT_GT(pixelsNear(pixmap.toImage(), tint, 0), 40) << name;
    }
    EXPECT_TRUE(symbolPixmap(QStringLiteral("no.such.symbol"), 16, tint, 1).isNull());
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
    // Offscreen there is no icon theme, so even the symbol the theme could supply is bundled.
    const QPixmap sharp =
        symbolIcon(QStringLiteral("gauge.with.dots.needle.33percent")).pixmap(QSize(16, 16), 2);
    EXPECT_EQ(sharp.size(), QSize(32, 32));
    EXPECT_GT(pixelsNear(sharp.toImage(), QApplication::palette().color(QPalette::WindowText), 0),
              40);
}

}  // namespace
}  // namespace vantric
