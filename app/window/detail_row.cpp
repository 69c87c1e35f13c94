#include "app/window/detail_row.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "app/window/figure_label.hpp"
#include "app/window/text_styles.hpp"

namespace vantric {

DetailRow::DetailRow(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), value_(new FigureLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Values come from drivers and the system's files: never taken for markup.
    label_->setTextFormat(Qt::PlainText);
    label_->setFont(TextStyle::callout());
    value_->setFont(TextStyle::callout());
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(label_, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(value_, 0, Qt::AlignVCenter);
    updateColors();
}

void DetailRow::setText(const DetailText& text) {
    label_->setText(text.label);
    value_->setText(text.value);
}

DetailText DetailRow::text() const {
    return {.label = label_->text(), .value = value_->text()};
}

void DetailRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateColors();
    }
}

void DetailRow::updateColors() {
    TextStyle::setTextColor(*label_, TextStyle::secondaryText(palette()));
}

}  // namespace vantric
