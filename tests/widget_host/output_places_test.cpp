#include "widget_host/output_places.hpp"

#include <gtest/gtest.h>

#include "widget_host/backend_choice.hpp"

namespace vantric {
namespace {

// A laptop panel at scale 2 (640x400 in the layout) and a monitor to its right.
const std::vector<OutputArea> outputs{{.name = "eDP-1", .area = {0, 0, 640, 400}},
                                      {.name = "DP-2", .area = {640, 0, 1280, 800}}};
const QSize small{164, 164};

TEST(OutputPlaces, SavedPlacesResolveToAnOutputAndACornerInsideIt) {
    struct Row {
        const char* what;
        Placement saved;
        std::vector<OutputArea> areas;
        std::optional<ResolvedPlace> expected;
    };
    const std::vector<OutputArea> stacked{{.name = "B", .area = {0, 400, 640, 400}},
                                          {.name = "A", .area = {0, 0, 640, 400}}};
    const std::vector<Row> rows{
        {"on its own output", {.position = {100, 80}, .output = "DP-2"}, outputs, {{1, {100, 80}}}},
        {"its output gone: the top-left one",
         {.position = {100, 80}, .output = "HDMI-1"},
         outputs,
         {{0, {100, 80}}}},
        {"top-left by place, not by the order outputs came",
         {.position = {5, 5}, .output = "X"},
         stacked,
         {{1, {5, 5}}}},
        {"desktop coordinates, from X11", {.position = {740, 80}}, outputs, {{1, {100, 80}}}},
        {"off every screen, brought inside",
         {.position = {30000, -500}, .output = "DP-9"},
         outputs,
         {{0, {640 - 164, 0}}}},
        {"desktop place off every screen",
         {.position = {-900, 900}},
         outputs,
         {{0, {0, 400 - 164}}}},
        {"larger than its output keeps its corner on it",
         {.position = {50, 50}, .output = "tiny"},
         {{.name = "tiny", .area = {0, 0, 100, 100}}},
         {{0, {0, 0}}}},
        {"no output at all", {.position = {1, 1}}, {}, std::nullopt},
    };
    for (const Row& row : rows) {
        const auto resolved = resolvePlace(row.saved, row.areas, small);
        ASSERT_EQ(resolved.has_value(), row.expected.has_value()) << row.what;
        if (resolved) {
            EXPECT_EQ(resolved->output, row.expected->output) << row.what;
            EXPECT_EQ(resolved->corner, row.expected->corner) << row.what;
        }
    }
}

TEST(OutputPlaces, ADropGoesToTheOutputUnderTheWidgetsCentre) {
    const Placement dragged{
        .kind = VitalsWidgetKind::memory, .position = {20, 30}, .output = "eDP-1"};
    // The corner is still on the panel, the centre already on the monitor.
    EXPECT_EQ(dropPlace(dragged, {619, 30}, small, outputs, 0),
              (Placement{.kind = VitalsWidgetKind::memory, .position = {0, 30}, .output = "DP-2"}));
    EXPECT_EQ(
        dropPlace(dragged, {300, 200}, small, outputs, 1),
        (Placement{.kind = VitalsWidgetKind::memory, .position = {300, 200}, .output = "eDP-1"}));
    // Dropped where no output is (below the panel): onto the output it came from, inside it.
    EXPECT_EQ(
        dropPlace(dragged, {100, 700}, small, outputs, 0),
        (Placement{
            .kind = VitalsWidgetKind::memory, .position = {100, 400 - 164}, .output = "eDP-1"}));
}

TEST(DisplayChoice, EachSessionGetsTheDisplayItCanShowWidgetsOn) {
    struct Row {
        const char* what;
        DisplaySetting setting;
        DisplayProbe wayland;
        DisplayProbe x11;
        std::optional<DisplayKind> expected;
        const char* line;
        bool asksX11;  // an X server is touched only when its answer decides
    };
    const DisplayProbe layerShell{.usable = true, .name = "wayland-1"};
    const DisplayProbe noLayerShell{.usable = false,
                                    .name = "wayland-0",
                                    .problem = "the compositor on wayland-0 offers no layer shell"};
    const DisplayProbe x{.usable = true, .name = ":0"};
    const DisplayProbe noX{.usable = false, .problem = "DISPLAY is not set"};
    const std::vector<Row> rows{
        {"KDE Plasma, sway",
         {.waylandSession = true},
         layerShell,
         x,
         DisplayKind::layerShell,
         "showing widgets as layer surfaces on wayland-1",
         false},
        {"GNOME",
         {.waylandSession = true},
         noLayerShell,
         x,
         DisplayKind::x11,
         "showing widgets as X11 windows through XWayland on :0 (the compositor on wayland-0 "
         "offers no layer shell)",
         true},
        {"X11 session",
         {},
         layerShell,
         x,
         DisplayKind::x11,
         "showing widgets as X11 windows on :0",
         true},
        {"nothing",
         {.waylandSession = true},
         noLayerShell,
         noX,
         std::nullopt,
         "no display for widgets: the compositor on wayland-0 offers no layer shell, and DISPLAY "
         "is not set",
         true},
        {"tests ask for offscreen",
         {.offscreen = true, .waylandSession = true},
         layerShell,
         x,
         DisplayKind::offscreen,
         "showing widgets as windows on the offscreen platform, where "
         "nobody sees them",
         false},
        {"forced X11 in a layer-shell session",
         {.forced = DisplayKind::x11, .waylandSession = true},
         layerShell,
         x,
         DisplayKind::x11,
         "showing widgets as X11 windows on :0",
         true},
        {"forced layer shell where there is none",
         {.forced = DisplayKind::layerShell},
         noLayerShell,
         x,
         std::nullopt,
         "--backend layer-shell: the compositor on wayland-0 offers no layer shell",
         false},
    };
    for (const Row& row : rows) {
        bool askedX11 = false;
        const DisplayChoice choice = chooseDisplay(
            row.setting, [&] { return row.wayland; },
            [&] {
                askedX11 = true;
                return row.x11;
            });
        EXPECT_EQ(choice.kind, row.expected) << row.what;
        EXPECT_EQ(choice.line, row.line) << row.what;
        EXPECT_EQ(askedX11, row.asksX11) << row.what;
    }
}

}  // namespace
}  // namespace vantric
