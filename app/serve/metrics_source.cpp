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
    // A listing that failed says nothing about the applications: their series stay as they were,
    // and the sampler's next pass measures from the last one that listed.
    if (sample.processCount > 0) {
        apps_.add(sample.apps);
        processCount_ = sample.processCount;
    }
    reading.apps = apps_.series();
    reading.processCount = processCount_;
    families_ = metricFamilies(reading);
    written_ = {};
    lastPass_ = clock_();
}

}  // namespace vantric
