#include "app/store/metrics_store.hpp"

#include <algorithm>
#include <iterator>
#include <utility>

#include <QMetaObject>
#include <QTimer>

namespace vantric {

namespace {

// The thread's name as top and ps show it.
constexpr const char* samplerQueueName = "vantric-sampler";
// A background utility's share of the processors: the pass yields to whatever the user is
// doing, and still finishes well within its second on a loaded machine.
constexpr int samplerNiceness = 5;

constexpr std::chrono::milliseconds firstReading{150};
constexpr std::chrono::milliseconds period{1000};

// The application's ticker: a 1 s timer on the thread that made it, which fires first 0.15 s
// after the start: by then the window has painted itself, and it shows figures at once rather
// than dashes for a second. The first reading's processor shares are of those 0.15 s, exact to
// the tick as every other, but the kernel counts processor time in hundredths of a second, so
// they move in steps of 7% of a core where later ones move in steps of 1%. A coarse timer may
// fire up to 5% of its interval late (50 ms here), within the tenth of a second a reading may
// slip, and lets the system wake once for this and its other timers.
class TimerTicker final : public Ticker {
public:
    void start(std::function<void()> onTick) override {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, onTick = std::move(onTick)] {
            if (timer_.intervalAsDuration() != period) {
                timer_.setInterval(period);
            }
            onTick();
        });
        timer_.setTimerType(Qt::CoarseTimer);
        timer_.start(firstReading);
    }

private:
    QTimer timer_;
};

template <typename Interface, typename Default>
std::unique_ptr<Interface> orDefault(std::unique_ptr<Interface> given) {
    return given ? std::move(given) : std::make_unique<Default>();
}

}  // namespace

MetricsStore::MetricsStore(Parts parts, QObject* parent)
    : QObject(parent),
      info_(std::move(parts.info)),
      systemSampler_(std::move(parts.systemSampler)),
      processSampler_(std::move(parts.processSampler)),
      widgetCenter_(orDefault<WidgetCenter, NoWidgetCenter>(std::move(parts.widgetCenter))),
      ticker_(orDefault<Ticker, TimerTicker>(std::move(parts.ticker))),
      now_(parts.now ? std::move(parts.now) : std::chrono::system_clock::now),
      monotonicNow_(parts.monotonicNow ? std::move(parts.monotonicNow)
                                       : std::chrono::steady_clock::now),
      queue_(samplerQueueName, samplerNiceness) {}

// The queue goes first: a pass still running finishes while the samplers exist, and the reading
// it posts is dropped with this object's pending events.
MetricsStore::~MetricsStore() {
    queue_.stop();
}

void MetricsStore::start() {
    if (started_) {
        return;
    }
    started_ = true;
    // Gives both samplers their baselines, so the first real pass already measures a second of
    // processor time. Queued before the ticker runs, so the serial queue runs it first.
    queue_.enqueue([system = systemSampler_.get(), processes = processSampler_.get()] {
        static_cast<void>(system->sampleCPU());
        static_cast<void>(processes->sample());
    });
    ticker_->start([this] { tick(); });
}

void MetricsStore::tick() {
    // A pass slower than the interval costs the fires that fall within it; queueing them would
    // build a backlog that the samplers could never catch up with.
    if (sampling_) {
        return;
    }
    sampling_ = true;
    // The pass holds the samplers and its own copies of the clocks, and touches none of this
    // store's fields but the hand-off slot: the others belong to the main thread. The store
    // outlives the pass, because its destructor drains the queue.
    queue_.enqueue([this, system = systemSampler_.get(), processes = processSampler_.get(),
                    now = now_, monotonicNow = monotonicNow_] {
        TimedReading timed{.reading = takeReading(*system, *processes, now),
                           .monotonicDate = monotonicNow()};
        {
            const std::lock_guard lock(handOffMutex_);
            handOff_ = std::move(timed);
        }
        QMetaObject::invokeMethod(this, "applyPending", Qt::QueuedConnection);
    });
}

void MetricsStore::applyPending() {
    std::optional<TimedReading> timed;
    {
        const std::lock_guard lock(handOffMutex_);
        timed.swap(handOff_);
    }
    if (timed) {
        apply(std::move(*timed));
    }
}

void MetricsStore::apply(TimedReading timed) {
    sampling_ = false;
    Reading& reading = timed.reading;
    cpu_ = std::move(reading.cpu);
    memory_ = reading.memory;
    gpu_ = reading.gpu;
    apps_ = std::move(reading.processes.apps);
    processCount_ = reading.processes.processCount;
    readableProcessCount_ = reading.processes.readableProcessCount;

    history_.push_back(HistoryPoint{.date = AbsoluteTime::from(reading.date),
                                    .cpu = cpu_.total,
                                    .memory = memoryInUseFraction(memory_),
                                    .gpu = gpu_.utilization});
    if (history_.size() > historyCapacity) {
        const auto excess = static_cast<std::ptrdiff_t>(history_.size() - historyCapacity);
        history_.erase(history_.begin(), history_.begin() + excess);
    }

    // Timed by the monotonic clock: measured by the wall clock, setting the date back an hour
    // would hold the widgets for that hour.
    if (!lastWidgetReload_ || timed.monotonicDate - *lastWidgetReload_ >= widgetReloadPeriod) {
        lastWidgetReload_ = timed.monotonicDate;
        widgetCenter_->reloadAllTimelines();
    }
    emit changed();
}

std::vector<double> MetricsStore::series(HistoryField field) const {
    std::vector<double> values;
    values.reserve(history_.size());
    std::transform(history_.begin(), history_.end(), std::back_inserter(values),
                   [field](const HistoryPoint& point) { return fieldValue(point, field); });
    return values;
}

VitalsEntry MetricsStore::widgetEntry() const {
    return VitalsEntry{
        .date = history_.empty() ? AbsoluteTime::from(now_()) : history_.back().date,
        .cpu = cpu_,
        .memory = memory_,
        .gpu = gpu_,
        .history = history_,
        .historyWindow = historyWindow,
    };
}

}  // namespace vantric
