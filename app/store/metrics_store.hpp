#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <QObject>

#include "app/store/process_sample.hpp"
#include "app/store/process_sampler.hpp"
#include "app/store/reading.hpp"
#include "app/store/serial_queue.hpp"
#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"
#include "core/system_info.hpp"
#include "core/system_sampler.hpp"
#include "platform/widget_center.hpp"
#include "widgets/views/history_point.hpp"
#include "widgets/views/vitals_entry.hpp"

namespace vantric {

// What fires the store once a second. The application's is a QTimer on the main thread; tests
// fire by hand.
class Ticker {
public:
    virtual ~Ticker() = default;
    // Called once; onTick then runs on the main thread at every fire.
    virtual void start(std::function<void()> onTick) = 0;
};

// The application's one source of live figures. It drives the samplers once a second on its own
// worker thread, publishes each pass on the main thread and keeps the last 120 points of history
// for the charts.
//
// Lives on the main thread: every accessor, start() and the changed() signal belong there. The
// samplers are touched only on the worker thread; a finished pass crosses over as one Reading
// value.
class MetricsStore : public QObject {
    Q_OBJECT

public:
    struct Parts {
        SystemInfo info{};
        std::unique_ptr<SystemSampler> systemSampler{};
        std::unique_ptr<ProcessSampler> processSampler{};
        std::unique_ptr<WidgetCenter> widgetCenter{};
        std::unique_ptr<Ticker> ticker{};
        std::function<std::chrono::system_clock::time_point()> now{};  // dates the readings
        // Times the widget reload, so setting the wall clock back cannot stall it.
        std::function<std::chrono::steady_clock::time_point()> monotonicNow{};
    };

    static constexpr std::size_t historyCapacity = 120;
    static constexpr double historyWindow = 119.0;  // seconds spanned by a full history
    static constexpr std::chrono::seconds widgetReloadPeriod{60};

    // Parts left empty get the defaults: no widget host, a 1 s timer, the system clocks. The
    // samplers are required.
    explicit MetricsStore(Parts parts, QObject* parent = nullptr);
    ~MetricsStore() override;

    // The process's store, made on first use from the machine's own platform. Main thread.
    static MetricsStore& shared();

    // Queues the priming pass and starts the timer; a second call does nothing.
    void start();

    const SystemInfo& info() const { return info_; }
    const CPUSnapshot& cpu() const { return cpu_; }
    const MemorySnapshot& memory() const { return memory_; }
    const GPUSnapshot& gpu() const { return gpu_; }
    const std::vector<AppUsage>& apps() const { return apps_; }
    int processCount() const { return processCount_; }
    int readableProcessCount() const { return readableProcessCount_; }
    const std::vector<HistoryPoint>& history() const { return history_; }

    // One field of every history point, oldest first.
    std::vector<double> series(HistoryField field) const;
    // The current figures as a widget would draw them, for the Widgets page's previews.
    VitalsEntry widgetEntry() const;
    WidgetCenter& widgetCenter() { return *widgetCenter_; }

    // The timer's work: queues a pass unless one is in flight.
    void tick();
    bool passInFlight() const { return sampling_; }

signals:
    // After every published pass; the views re-read the store.
    void changed();

private:
    // Takes the pass the worker left in the hand-off slot and publishes it. A slot, so that the
    // worker can queue a call to it by name.
    Q_SLOT void applyPending();

    struct TimedReading {
        Reading reading{};
        std::chrono::steady_clock::time_point monotonicDate{};  // taken right after reading.date
    };

    void apply(TimedReading timed);

    SystemInfo info_;
    CPUSnapshot cpu_{};
    MemorySnapshot memory_{};
    GPUSnapshot gpu_{};
    std::vector<AppUsage> apps_;
    int processCount_ = 0;
    int readableProcessCount_ = 0;
    std::vector<HistoryPoint> history_;

    std::unique_ptr<SystemSampler> systemSampler_;
    std::unique_ptr<ProcessSampler> processSampler_;
    std::unique_ptr<WidgetCenter> widgetCenter_;
    std::unique_ptr<Ticker> ticker_;
    std::function<std::chrono::system_clock::time_point()> now_;
    std::function<std::chrono::steady_clock::time_point()> monotonicNow_;
    bool started_ = false;
    bool sampling_ = false;
    std::optional<std::chrono::steady_clock::time_point> lastWidgetReload_;
    // The one finished pass on its way to the main thread. Guarded by a mutex of our own rather
    // than left to Qt's event queue alone, so the hand-off is ordered in a way the thread
    // sanitizer can see as well.
    std::mutex handOffMutex_;
    std::optional<TimedReading> handOff_;
    SerialQueue queue_;  // last: stopped and joined before the samplers it reaches are destroyed
};

}  // namespace vantric
