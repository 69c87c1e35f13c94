#pragma once

#include <vector>

#include <QObject>
#include <QTimer>

#include "widget_host/placements.hpp"
#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// One placed widget as a display backend shows it. This part keeps its timeline and knows which
// entry is due; the backend draws that entry wherever its display puts widgets, and reports what
// the user did with it. Main thread.
class WidgetSurface : public QObject {
    Q_OBJECT

public:
    WidgetSurface(const WidgetDescription& description, VitalsEntry placeholder);

    const WidgetDescription& description() const { return description_; }
    // Shows the timeline's entries each from its own date on; the first until then.
    void showTimeline(std::vector<VitalsEntry> entries);

signals:
    // Dropped at a new place, which the host saves.
    void moved(const vantric::Placement& placement);
    void clicked();
    void removeRequested();

protected:
    const VitalsEntry& shownEntry() const { return shown_; }
    // Draws the shown entry. Called only when the entry shown changes, so that a reload that
    // brings the same figures costs no drawing at all.
    virtual void present() = 0;

private:
    void showCurrentEntry();

    WidgetDescription description_;
    std::vector<VitalsEntry> entries_{};
    VitalsEntry shown_{};
    QTimer nextEntry_{};
};

}  // namespace vantric
