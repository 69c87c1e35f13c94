#include "app/window/section_card.hpp"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/window/text_styles.hpp"

namespace vantric {
namespace {

constexpr int padding = 16;
constexpr int headerSpacing = 14;
constexpr int titleSpacing = 2;

}  // namespace

SectionCard::SectionCard(const QString& title, QWidget* parent)
    : CardSurface(parent),
      layout_(new QVBoxLayout(this)),
      header_(new QGridLayout),
      title_(new QLabel(title, this)),
      subtitle_(new QLabel(this)) {
    layout_->setContentsMargins(padding, padding, padding, padding);
    layout_->setSpacing(headerSpacing);
    // The title shares its row with the accessory, centred on it, so the title's text line and
    // a control's label line up; the subtitle hangs below both, across the card, so that a long
    // one and a wide accessory do not add up to the card's narrowest width. A hidden subtitle
    // leaves its row empty, and an empty grid row takes neither height nor spacing.
    header_->setContentsMargins(0, 0, 0, 0);
    header_->setHorizontalSpacing(8);
    header_->setVerticalSpacing(titleSpacing);
    header_->setColumnStretch(1, 1);
    title_->setFont(TextStyle::headline());
    // Subtitles quote the processor's and the driver's names: never taken for markup.
    subtitle_->setTextFormat(Qt::PlainText);
    subtitle_->setFont(TextStyle::callout());
    subtitle_->hide();
    TextStyle::setTextColor(*subtitle_, TextStyle::secondaryText(palette()));
    header_->addWidget(title_, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    header_->addWidget(subtitle_, 1, 0, 1, 3, Qt::AlignLeft | Qt::AlignTop);
    layout_->addLayout(header_);
}

void SectionCard::setTitle(const QString& title) {
    title_->setText(title);
}

void SectionCard::setSubtitle(std::optional<QString> subtitle) {
    subtitle_->setText(subtitle.value_or(QString()));
    subtitle_->setVisible(subtitle.has_value());
}

void SectionCard::setAccessory(QWidget* accessory) {
    delete accessory_;
    accessory_ = accessory;
    if (accessory_ != nullptr) {
        header_->addWidget(accessory_, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void SectionCard::setContent(QWidget* content) {
    delete content_;
    content_ = content;
    if (content_ != nullptr) {
        layout_->addWidget(content_);
    }
}

void SectionCard::setContent(std::initializer_list<QWidget*> parts) {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(headerSpacing);
    for (QWidget* part : parts) {
        layout->addWidget(part);
    }
    setContent(column);
}

QString SectionCard::title() const {
    return title_->text();
}

std::optional<QString> SectionCard::subtitle() const {
    return subtitle_->isVisibleTo(this) ? std::optional<QString>(subtitle_->text()) : std::nullopt;
}

void SectionCard::changeEvent(QEvent* event) {
    CardSurface::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        TextStyle::setTextColor(*subtitle_, TextStyle::secondaryText(palette()));
    }
}

}  // namespace vantric
