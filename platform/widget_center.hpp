#pragma once

#include <string>
#include <vector>

namespace vantric {

// The application's view of the desktop's widget host: it can ask the host to redraw every
// widget of this application, and ask which of them are placed.
// Used on the main thread. Neither call may block the caller for long: a host that does not
// answer counts as no host.
class WidgetCenter {
public:
    virtual ~WidgetCenter() = default;

    // Asks the host to request fresh timelines for every placed widget. Does nothing when no
    // host runs.
    virtual void reloadAllTimelines() = 0;
    // The kind identifier of each placed widget, one per placed widget (a kind placed twice is
    // listed twice). Empty when no host runs or it cannot be asked.
    virtual std::vector<std::string> currentConfigurations() = 0;
};

// For a desktop without a widget host: reloads nothing and reports no placed widgets.
class NoWidgetCenter final : public WidgetCenter {
public:
    void reloadAllTimelines() override {}
    std::vector<std::string> currentConfigurations() override { return {}; }
};

}  // namespace vantric
