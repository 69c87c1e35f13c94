#pragma once

#include <vector>

#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// One placed widget on the desktop: a small frameless window below the others that the plug-in
// draws, including its rounded background (the window itself is transparent).
//
// A left drag moves it (moved() when released); a left click without a drag is clicked(); the
// context menu offers removeRequested(). Main thread.
class WidgetWindow : public QWidget {
    Q_OBJECT

public:
    WidgetWindow(const WidgetBundle& bundle, const WidgetDescription& description,
                 VitalsEntry placeholder);

    const WidgetDescription& description() const { return description_; }
    // Shows the timeline's entries each from its own date on; the first until then.
    void showTimeline(std::vector<VitalsEntry> entries);

signals:
    void moved(QPoint position);
    void clicked();
    void removeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void showCurrentEntry();

    const WidgetBundle& bundle_;
    WidgetDescription description_;
    std::vector<VitalsEntry> entries_{};
    std::size_t shown_ = 0;
    QTimer nextEntry_{};
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressOffset_{};  // from the window's corner to the pointer, while pressed
    QPoint pressGlobal_{};
};

}  // namespace vantric
