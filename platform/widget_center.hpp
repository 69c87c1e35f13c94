#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vantric {

// The application's view of the desktop's widget host: it can ask the host to redraw every
// widget of this application, and ask which of them are placed.
// Used on the main thread, which neither call holds: the host may be stalled, and the window must
// not stall with it.
class WidgetCenter {
public:
    // The kind identifier of each placed widget, one per placed widget (a kind placed twice is
    // listed twice).
    using Configurations = std::vector<std::string>;
    using ConfigurationsAnswer = std::function<void(Configurations)>;

    virtual ~WidgetCenter() = default;

    // Asks the host to request fresh timelines for every placed widget, and does not wait for
    // its answer. Does nothing when no host runs.
    virtual void reloadAllTimelines() = 0;
    // Asks which widgets are placed. answer is called once, on the calling thread: at once, or
    // later from its event loop. A host that does not run, cannot be asked or does not answer in
    // time answers with an empty list.
    virtual void requestConfigurations(ConfigurationsAnswer answer) = 0;
};

// For a desktop without a widget host: reloads nothing and reports no placed widgets.
class NoWidgetCenter final : public WidgetCenter {
public:
    void reloadAllTimelines() override {}
    void requestConfigurations(ConfigurationsAnswer answer) override { answer({}); }
};

}  // namespace vantric
