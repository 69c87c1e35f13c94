#pragma once

#include <functional>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace vantric::testing {

// Runs the event loop until condition holds or timeoutMs pass; true when it held.
inline bool eventually(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace vantric::testing
