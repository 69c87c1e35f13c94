#include "app/window/startup_trace.hpp"

#include <chrono>

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QTimer>
#include <QWidget>

#include "app/store/metrics_store.hpp"

namespace vantric {
namespace {

Q_LOGGING_CATEGORY(startupLog, "vantric.startup", QtWarningMsg)

// Once the event loop is back: the paint that is under way has then reached the window.
void logWhenPainted(const char* milestone) {
    QTimer::singleShot(0, [milestone] {
        const double seconds =
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        qCDebug(startupLog, "%s at %.6f", milestone, seconds);
    });
}

}  // namespace

StartupTrace::StartupTrace(QWidget& window, MetricsStore& store) : window_(window) {
    if (!startupLog().isDebugEnabled()) {
        return;
    }
    watching_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    connect(
        &store, &MetricsStore::changed, this, [this] { readingArrived_ = true; },
        Qt::SingleShotConnection);
}

StartupTrace::~StartupTrace() {
    stopWatching();
}

bool StartupTrace::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &window_) {
        return false;
    }
    if (!windowPainted_) {
        windowPainted_ = true;
        logWhenPainted("window painted");
    }
    if (readingArrived_) {
        logWhenPainted("first reading painted");
        stopWatching();
    }
    return false;
}

void StartupTrace::stopWatching() {
    if (watching_) {
        watching_ = false;
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

}  // namespace vantric
