#include "app/window/startup_trace.hpp"

#include <chrono>

#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QWidget>

#include "app/store/metrics_store.hpp"

namespace vantric {
namespace {

Q_LOGGING_CATEGORY(startupLog, "vantric.startup", QtWarningMsg)

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
        notePainted("window painted");
    }
    if (readingArrived_) {
        notePainted("first reading painted");
        stopWatching();
    }
    return false;
}

void StartupTrace::notePainted(const char* milestone) {
    if (painted_.empty()) {
        QMetaObject::invokeMethod(this, "logPainted", Qt::QueuedConnection);
    }
    painted_.push_back(milestone);
}

void StartupTrace::logPainted() {
    const double seconds =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    for (const char* milestone : painted_) {
        qCDebug(startupLog, "%s at %.6f", milestone, seconds);
    }
    painted_.clear();
}

void StartupTrace::stopWatching() {
    if (watching_) {
        watching_ = false;
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

}  // namespace vantric
