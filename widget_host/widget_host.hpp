#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/linux/local_line_server.hpp"
#include "widget_host/completion_gate.hpp"
#include "widget_host/display_backend.hpp"
#include "widget_host/placements.hpp"
#include "widget_host/timeline_scheduler.hpp"
#include "widget_host/widget_surface.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// The running widget host: a surface on the display for each placed widget, the timelines that fill
// them, and the socket through which the application and the --add / --remove commands reach it.
//
// Timelines are asked for all at once when widgets appear, again when a timeline's reload date
// comes, and for every widget on "reload"; never for a widget whose last request is still on its
// way. Main thread.
class WidgetHost : public QObject {
    Q_OBJECT

public:
    WidgetHost(WidgetBundle& bundle, DisplayBackend& display,
               TimelineScheduler::Clock now = AbsoluteTime::now);
    ~WidgetHost() override;

    // Shows the placed widgets and listens on socketPath, if given; false when it cannot listen.
    bool start(const std::optional<QString>& socketPath);

    // One request line from the socket: the reply, or nullopt for garbage.
    std::optional<QByteArray> handle(const QString& line);

private:
    struct Placed {
        int id = 0;
        Placement placement{};
        std::unique_ptr<WidgetSurface> window{};
    };

    void readPlacements();
    std::unique_ptr<WidgetSurface> makeWindow(int id, const Placement& placement);
    Placed* find(int id);
    void request(const std::vector<int>& ids);
    void apply(int id, const Timeline& timeline);
    void wake();
    void rearm();
    void move(int id, const Placement& placement);
    void remove(int id);
    void save() const;

    WidgetBundle& bundle_;
    DisplayBackend& display_;
    std::vector<WidgetDescription> descriptions_;
    std::vector<Placed> placed_{};  // in placement order
    // The widgets whose timeline was asked for and has not come, with when it was asked for: a
    // reload, or a flood of them, asks again only once it has come or is overdue.
    std::unordered_map<int, std::chrono::steady_clock::time_point> awaited_{};
    int nextId_ = 1;
    TimelineScheduler scheduler_;
    QTimer wakeTimer_{};
    LocalLineServer server_;
    SharedGate gate_;
};

}  // namespace vantric
