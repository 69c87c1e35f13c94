#include "app/window/note_label.hpp"

#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/window/text_styles.hpp"

namespace vantric {

NoteLabel::NoteLabel(const QString& text, QWidget* parent)
    : QWidget(parent), label_(new QLabel(text, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    // Notes quote the machine's names: never taken for markup.
    label_->setTextFormat(Qt::PlainText);
    label_->setFont(TextStyle::callout());
    label_->setWordWrap(true);
    TextStyle::setTextColor(*label_, TextStyle::secondaryText(palette()));
}

void NoteLabel::setText(const QString& text) {
    label_->setText(text);
}

QString NoteLabel::text() const {
    return label_->text();
}

void NoteLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        TextStyle::setTextColor(*label_, TextStyle::secondaryText(palette()));
    }
}

}  // namespace vantric
