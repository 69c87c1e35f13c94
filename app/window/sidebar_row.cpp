#include "app/window/sidebar_row.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "app/window/figure_label.hpp"
#include "app/window/text_styles.hpp"
#include "widgets/views/symbol_icons.hpp"

namespace vantric {
namespace {

constexpr int iconSize = 16;

}  // namespace

SidebarRow::SidebarRow(const QString& title, const QString& systemImage, QWidget* parent)
    : QWidget(parent),
      systemImage_(systemImage),
      icon_(new QLabel(this)),
      title_(new QLabel(title, this)),
      badge_(new FigureLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 5, 10, 5);
    layout->setSpacing(8);
    icon_->setFixedSize(iconSize, iconSize);
    title_->setFont(TextStyle::body());
    // Figures with digits of equal width, so the sidebar does not jitter as they change.
    badge_->setFont(TextStyle::figure(11, QFont::Medium));
    badge_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    badge_->hide();
    layout->addWidget(icon_);
    layout->addWidget(title_, 1);
    layout->addWidget(badge_);
    updateIcon();
}

void SidebarRow::setBadge(const std::optional<QString>& badge) {
    badge_->setVisible(badge.has_value());
    badge_->setText(badge.value_or(QString()));
}

std::optional<QString> SidebarRow::badge() const {
    return badge_->isVisibleTo(this) ? std::optional<QString>(badge_->text()) : std::nullopt;
}

QString SidebarRow::title() const {
    return title_->text();
}

void SidebarRow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        updateIcon();
    }
}

void SidebarRow::updateIcon() {
    icon_->setPixmap(symbolPixmap(systemImage_, iconSize, palette().color(QPalette::Highlight),
                                  devicePixelRatioF()));
    QPalette badgePalette = badge_->palette();
    badgePalette.setColor(QPalette::WindowText, TextStyle::secondaryText(palette()));
    badge_->setPalette(badgePalette);
}

}  // namespace vantric
