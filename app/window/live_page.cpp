#include "app/window/live_page.hpp"

#include <QEvent>

#include "app/store/metrics_store.hpp"

namespace vantric {

LivePage::LivePage(MetricsStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    connect(&store_, &MetricsStore::changed, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
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
