#include "widget_host/x11/widget_window.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace vantric {

WidgetWindow::WidgetWindow(const WidgetBundle& bundle, const WidgetDescription& description,
                           const VitalsEntry* entry)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint),
      bundle_(bundle),
      kind_(description.kind),
      entry_(entry) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(description.size);
    setWindowTitle(description.name);
}

void WidgetWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    bundle_.paint(painter, QRectF(rect()), kind_, *entry_);
}

void WidgetWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    dragging_ = false;
    pressGlobal_ = event->globalPosition().toPoint();
    pressOffset_ = pressGlobal_ - pos();
}

void WidgetWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!dragging_ &&
        (global - pressGlobal_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
    }
    if (dragging_) {
        move(global - pressOffset_);
    }
}

void WidgetWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        emit moved(pos());
    } else {
        emit clicked();
    }
}

void WidgetWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const QAction* const remove = menu.addAction(tr("Remove Widget"));
    if (menu.exec(event->globalPos()) == remove) {
        emit removeRequested();
    }
}

}  // namespace vantric
