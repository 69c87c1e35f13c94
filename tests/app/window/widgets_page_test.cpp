#include "app/window/widgets_page.hpp"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include "support/rendered.hpp"
#include "support/store_fixture.hpp"
#include "widgets/views/vitals_widget_view.hpp"

namespace vantric {
namespace {

using testing::FakeMachine;
using testing::rendered;
using testing::runPass;

// A widget host that reports what the test says, from the event loop as the real one does, and
// counts how often it is asked.
class ListedWidgets final : public WidgetCenter {
public:
    explicit ListedWidgets(std::shared_ptr<std::vector<std::string>> placed)
        : placed_(std::move(placed)) {}
    void reloadAllTimelines() override {}
    void requestConfigurations(ConfigurationsAnswer answer) override {
        ++asked;
        QTimer::singleShot(0, [answer = std::move(answer), placed = *placed_] { answer(placed); });
    }
    int asked = 0;

private:
    std::shared_ptr<std::vector<std::string>> placed_;
};

TEST(WidgetsPageTexts, MarksPairedPassagesBoldAndEscapesMarkup) {
    EXPECT_EQ(richInstruction(QStringLiteral("Run **a <b>** then **c")),
              QStringLiteral("Run <b>a &lt;b&gt;</b> then **c"));
}

TEST(WidgetsPageTest, MarksPlacedWidgetsWhileShownAndPreviewsTheStoresReading) {
    auto placed = std::make_shared<std::vector<std::string>>(std::vector<std::string>{
        kindIdentifier(VitalsWidgetKind::cpu), kindIdentifier(VitalsWidgetKind::overview),
        "org.example.Other.CPU", kindIdentifier(VitalsWidgetKind::cpu)});
    auto center = std::make_unique<ListedWidgets>(placed);
    ListedWidgets& host = *center;
    FakeMachine machine;
    machine.queueProcessorLoad(0.3, 0.2);
    auto store = machine.makeStore({.widgetCenter = std::move(center)});
    store->start();
    WidgetsPage page(*store);
    EXPECT_EQ(host.asked, 0);

    page.resize(900, 700);
    page.show();
    ASSERT_TRUE(runPass(*store));
    EXPECT_TRUE(page.refreshesPlaced());
    QApplication::processEvents();
    EXPECT_EQ(page.marker(VitalsWidgetKind::cpu), QStringLiteral("On desktop \u00D72"));
    EXPECT_EQ(page.marker(VitalsWidgetKind::overview), QStringLiteral("On desktop"));
    EXPECT_EQ(page.marker(VitalsWidgetKind::gpu), std::nullopt);
    EXPECT_DOUBLE_EQ(page.preview(VitalsWidgetKind::cpu).entry().cpu.total, 0.5);
    rendered(page, QStringLiteral("widgets-page"));

    // Shown again, the page asks at once, and a kind no longer placed loses its marker.
    page.hide();
    EXPECT_FALSE(page.refreshesPlaced());
    *placed = {kindIdentifier(VitalsWidgetKind::gpu)};
    const int before = host.asked;
    page.show();
    EXPECT_EQ(host.asked, before + 1);
    QApplication::processEvents();
    EXPECT_EQ(page.marker(VitalsWidgetKind::gpu), QStringLiteral("On desktop"));
    EXPECT_EQ(page.marker(VitalsWidgetKind::cpu), std::nullopt);

    // An answer that arrives after its page has gone is dropped.
    auto gone = std::make_unique<WidgetsPage>(*store);
    gone->refreshPlaced();
    gone.reset();
    QApplication::processEvents();
}

}  // namespace
}  // namespace vantric
