#include "app/window/pending_layouts.hpp"

#include <QCoreApplication>
#include <QEvent>

namespace vantric {
namespace {

// Counts the layout requests the application delivers while it is installed.
class LayoutRequestCounter final : public QObject {
public:
    LayoutRequestCounter() { QCoreApplication::instance()->installEventFilter(this); }
    ~LayoutRequestCounter() override { QCoreApplication::instance()->removeEventFilter(this); }
    LayoutRequestCounter(const LayoutRequestCounter&) = delete;
    LayoutRequestCounter& operator=(const LayoutRequestCounter&) = delete;

    int delivered = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        delivered += event->type() == QEvent::LayoutRequest ? 1 : 0;
        return false;
    }
};

}  // namespace

void settlePendingLayouts() {
    // Each round lays out one more level of parents; no window nests widgets this deep.
    constexpr int deepestNesting = 64;
    const LayoutRequestCounter counter;
    for (int round = 0; round < deepestNesting; ++round) {
        const int before = counter.delivered;
        // Requests posted while these are delivered wait for the next round.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (counter.delivered == before) {
            return;
        }
    }
}

}  // namespace vantric
