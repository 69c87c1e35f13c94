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

void FigureLabel::fitText(bool mayShrink) {
    QSize needed = sizeHint();
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
