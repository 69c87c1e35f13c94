#include "app/serve/metrics_source.hpp"

#include <utility>

#include "app/serve/exposition.hpp"

namespace vantric {

MetricsSource::MetricsSource(SystemSampler& system, ProcessSampler& processes, Clock clock)
    : system_(system), processes_(processes), clock_(std::move(clock)) {
    pass();
}

std::string MetricsSource::scrape(ExpositionFormat format) {
    const std::lock_guard lock(mutex_);
    if (clock_() - lastPass_ >= passInterval) {
        pass();
    }
    std::optional<std::string>& written = written_[static_cast<std::size_t>(format)];
    if (!written) {
        written = serialized(families_, format);
    }
    return *written;
}

void MetricsSource::pass() {
    // The order of a reading: processors, memory, then the process table before the
    // accelerators, whose loads some drivers give only through the clients the table found.
    static_cast<void>(system_.sampleCPU());
    ScrapeReading reading{.cpu = system_.cpuTimes(), .memory = system_.sampleMemory()};
    const ProcessSample sample = processes_.sample();
    reading.gpus = system_.sampleGPUs();
    apps_.add(sample.apps);
    reading.apps = apps_.series();
    reading.processCount = sample.processCount;
    families_ = metricFamilies(reading);
    written_ = {};
    lastPass_ = clock_();
}

}  // namespace vantric
