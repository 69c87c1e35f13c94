#include "app/window/figure_label.hpp"

#include <algorithm>

#include <QEvent>

namespace vantric {

FigureLabel::FigureLabel(QWidget* parent) : QLabel(parent) {
    // Figures come from the system's files and other users' processes: never markup.
    setTextFormat(Qt::PlainText);
    fitText(true);
}

void FigureLabel::setText(const QString& text) {
    if (text == this->text()) {
        return;
    }
    QLabel::setText(text);
    fitText(false);
}

void FigureLabel::setColumnWidth(int width) {
    columnWidth_ = width;
    fitText(true);
}

void FigureLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange: fitText(true); break;
    default: break;
    }
}

// What QLabel's own size hint gives for a line of plain text, without its floor at the current
// minimum size, which for a label of fixed size would keep every size it ever had.
QSize FigureLabel::textSize() const {
    const QRect bounds = fontMetrics().boundingRect(0, 0, 2000, 2000, Qt::AlignLeft, text());
    const int extra = 2 * margin();
    const QMargins margins = contentsMargins();
    return {bounds.width() + extra + margins.left() + margins.right(),
            bounds.height() + extra + margins.top() + margins.bottom()};
}

void FigureLabel::fitText(bool mayShrink) {
    QSize needed = textSize();
    if (columnWidth_) {
        needed.setWidth(*columnWidth_);
    } else if (!mayShrink && (alignment() & Qt::AlignRight) != 0) {
        // Flush right, a shorter text reads the same at the right of the wider box, and the
        // box keeps its place.
        needed.setWidth(std::max(needed.width(), minimumWidth()));
    }
    if (minimumSize() != needed || maximumSize() != needed) {
        setFixedSize(needed);
    }
}

}  // namespace vantric
