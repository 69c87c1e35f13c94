#include "app/store/metrics_store.hpp"

#include <QCoreApplication>

#include "app/store/machine_samplers.hpp"
#include "platform/linux/linux_machine_facts.hpp"
#include "platform/linux/runtime_folder.hpp"
#include "widget_host/socket_widget_center.hpp"

namespace vantric {

MetricsStore& MetricsStore::shared() {
    // Made once, on first use; the initialisation of a function-local static is thread-safe.
    // Never destroyed: the store lives until the process exits, and as a static object it would
    // be destroyed after main returned, when the QApplication is already gone and destroying a
    // QObject (and the timer it owns) is no longer safe.
    static MetricsStore* const store = [] {
        LinuxMachineFacts facts;
        Parts parts;
        parts.info = SystemInfo::current(facts);
        // Made here on the main thread, where Qt knows the icon theme; used on the sampler's.
        auto samplers = makeMachineSamplers();
        parts.systemSampler = std::move(samplers.system);
        parts.processSampler = std::move(samplers.processes);
        // Without a private folder there is no socket the host could be reached on.
        if (const auto folder = privateRuntimeFolder()) {
            parts.widgetCenter = std::make_unique<SocketWidgetCenter>(hostSocketPath(*folder));
        }
        // The ticker is left to the store's own: a coarse 1 s QTimer on this, the main, thread.
        parts.now = std::chrono::system_clock::now;
        parts.monotonicNow = std::chrono::steady_clock::now;
        auto* const made = new MetricsStore(std::move(parts));
        // The worker must not be sampling while the process's statics (NVML's among them) are
        // torn down after main returns.
        if (QCoreApplication* const application = QCoreApplication::instance()) {
            QObject::connect(application, &QCoreApplication::aboutToQuit, made,
                             [made] { made->queue_.stop(); });
        }
        return made;
    }();
    return *store;
}

}  // namespace vantric
