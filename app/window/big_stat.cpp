#include "app/window/big_stat.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/window/figure_label.hpp"
#include "app/window/text_styles.hpp"

namespace vantric {

BigStat::BigStat(const QString& label, QWidget* parent)
    : QWidget(parent),
      label_(new QLabel(label, this)),
      value_(new FigureLabel(this)),
      unit_(new FigureLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    label_->setFont(TextStyle::subheadline());
    layout->addWidget(label_, 0, Qt::AlignLeft);

    auto* figure = new QHBoxLayout;
    figure->setSpacing(3);
    value_->setFont(TextStyle::figure(30, QFont::DemiBold));
    unit_->setFont(TextStyle::figure(15, QFont::Medium));
    unit_->setContentsMargins(0, TextStyle::baselineShift(value_->font(), unit_->font()), 0, 0);
    unit_->hide();
    figure->addWidget(value_, 0, Qt::AlignTop);
    figure->addWidget(unit_, 0, Qt::AlignTop);
    figure->addStretch(1);
    layout->addLayout(figure);
    updateColors();
}

void BigStat::setLabel(const QString& label) {
    label_->setText(label);
}

void BigStat::setValue(const QString& value, const std::optional<QString>& unit) {
    value_->setText(value);
    unit_->setText(unit.value_or(QString()));
    unit_->setVisible(unit.has_value());
}

void BigStat::setColor(std::optional<QColor> color) {
    color_ = color;
    updateColors();
}

QString BigStat::label() const {
    return label_->text();
}

QString BigStat::value() const {
    return value_->text();
}

std::optional<QString> BigStat::unit() const {
    return unit_->isVisibleTo(this) ? std::optional<QString>(unit_->text()) : std::nullopt;
}

void BigStat::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        updateColors();
    }
}

void BigStat::updateColors() {
    TextStyle::setTextColor(*label_, TextStyle::secondaryText(palette()));
    TextStyle::setTextColor(*value_, color_.value_or(TextStyle::primaryText(palette())));
    TextStyle::setTextColor(*unit_, TextStyle::secondaryText(palette()));
}

}  // namespace vantric
