#pragma once

#include <QPoint>
#include <QWidget>

#include "widgets/extension/widget_bundle.hpp"

namespace vantric {

// One placed widget as a small frameless window below the others that the plug-in draws,
// including its rounded background (the window itself is transparent).
//
// A left drag moves it (moved() when released); a left click without a drag is clicked(); the
// context menu offers removeRequested(). Main thread.
class WidgetWindow : public QWidget {
    Q_OBJECT

public:
    // Draws *entry, which outlives the window, as it is when the window is painted.
    WidgetWindow(const WidgetBundle& bundle, const WidgetDescription& description,
                 const VitalsEntry* entry);

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
    const WidgetBundle& bundle_;
    VitalsWidgetKind kind_;
    const VitalsEntry* entry_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressOffset_{};  // from the window's corner to the pointer, while pressed
    QPoint pressGlobal_{};
};

}  // namespace vantric
