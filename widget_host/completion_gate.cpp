#include "widget_host/completion_gate.hpp"

#include <QMetaObject>
#include <QObject>

namespace vantric {

CompletionGate::CompletionGate(QObject* receiver) : receiver_(receiver) {}

void CompletionGate::post(std::function<void()> work) {
    // Held while posting, so that the receiver cannot be destroyed halfway; an event posted to
    // it is discarded by Qt if it is destroyed before the event is delivered.
    const std::lock_guard lock(mutex_);
    if (receiver_ != nullptr) {
        QMetaObject::invokeMethod(receiver_, std::move(work), Qt::QueuedConnection);
    }
}

void CompletionGate::close() {
    const std::lock_guard lock(mutex_);
    receiver_ = nullptr;
}

}  // namespace vantric
