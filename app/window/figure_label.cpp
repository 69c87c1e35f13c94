#include "app/window/figure_label.hpp"

#include <QEvent>

namespace vantric {

FigureLabel::FigureLabel(QWidget* parent) : QLabel(parent) {
    // Figures come from the system's files and other users' processes: never markup.
    setTextFormat(Qt::PlainText);
    fitText();
}

void FigureLabel::setText(const QString& text) {
    if (text == this->text()) {
        return;
    }
    QLabel::setText(text);
    fitText();
}

void FigureLabel::setColumnWidth(int width) {
    columnWidth_ = width;
    fitText();
}

void FigureLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange: fitText(); break;
    default: break;
    }
}

void FigureLabel::fitText() {
    QSize needed = sizeHint();
    if (columnWidth_) {
        needed.setWidth(*columnWidth_);
    }
    if (minimumSize() != needed || maximumSize() != needed) {
        setFixedSize(needed);
    }
}

}  // namespace vantric
