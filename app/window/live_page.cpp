#include "app/window/live_page.hpp"

#include <QEvent>
#include <QVBoxLayout>

#include "app/store/metrics_store.hpp"
#include "app/window/pending_layouts.hpp"

namespace vantric {

LivePage::LivePage(MetricsStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    connect(&store_, &MetricsStore::changed, this, [this] {
        if (isVisible()) {
            refresh();
            settlePendingLayouts();
        }
    });
}

void LivePage::stackParts(std::initializer_list<QWidget*> parts) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);
    for (QWidget* part : parts) {
        layout->addWidget(part);
    }
}

void LivePage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void LivePage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        refresh();
    }
}

}  // namespace vantric
