#pragma once

#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace vantric {

// Carries the plug-in's completions, which come on its own threads, to an object on the main
// thread, and drops them once that object has closed the gate (it is going away). Shared by the
// object and every completion still in flight.
class CompletionGate {
public:
    explicit CompletionGate(QObject* receiver);

    // Runs work on the receiver's thread, unless the gate is closed by then. Any thread.
    void post(std::function<void()> work);
    // The receiver's destructor calls this first. Receiver's thread.
    void close();

private:
    std::mutex mutex_{};
    QObject* receiver_ = nullptr;
};

using SharedGate = std::shared_ptr<CompletionGate>;

}  // namespace vantric
