#include "platform/widget_host/widget_window.hpp"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace vantric {

WidgetWindow::WidgetWindow(const WidgetBundle& bundle, const WidgetDescription& description,
                           VitalsEntry placeholder)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint),
      bundle_(bundle),
      description_(description),
      entries_{std::move(placeholder)} {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(description_.size);
    setWindowTitle(description_.name);
    nextEntry_.setSingleShot(true);
    connect(&nextEntry_, &QTimer::timeout, this, &WidgetWindow::showCurrentEntry);
}

void WidgetWindow::showTimeline(std::vector<VitalsEntry> entries) {
    if (entries.empty()) {
        return;
    }
    entries_ = std::move(entries);
    showCurrentEntry();
}

void WidgetWindow::showCurrentEntry() {
    const AbsoluteTime now = AbsoluteTime::now();
    // The last entry whose date has come, or the first while none has.
    const auto later = std::upper_bound(entries_.begin(), entries_.end(), now,
                                        [](AbsoluteTime t, const auto& e) { return t < e.date; });
    shown_ = later == entries_.begin() ? 0 : static_cast<std::size_t>(later - entries_.begin()) - 1;
    if (later != entries_.end()) {
        const double seconds = later->date - now;
        nextEntry_.start(static_cast<int>(std::ceil(std::min(seconds, 24.0 * 60 * 60) * 1000)));
    } else {
        nextEntry_.stop();
    }
    update();
}

void WidgetWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    bundle_.paint(painter, QRectF(rect()), description_.kind, entries_[shown_]);
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
