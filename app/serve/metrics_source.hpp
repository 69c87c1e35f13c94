#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <prometheus/metric_family.h>

#include "app/serve/app_series.hpp"
#include "app/serve/exposition_format.hpp"
#include "app/store/process_sampler.hpp"
#include "core/system_sampler.hpp"

namespace vantric {

// What scrapes are answered with. A scrape that comes 0.9 s or more after the last pass makes a
// new pass over the machine; one that comes sooner gets the last pass again, so that any number
// of scrapers cost about one pass a second at most, and none when nobody scrapes.
//
// Not a whole second: a scraper's requests come a second apart give or take a few milliseconds.
// Those that came early would get the pass before, a second old, under the time of the scrape,
// and a rate over such samples swings by a quarter either way. A tenth of a second to spare lets
// every request of a scraper at one second make its own pass.
//
// Thread-safe: the server's workers scrape at once and take turns on one lock, which guards the
// samplers (made for one thread at a time) and everything kept between passes.
class MetricsSource {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The least time between passes.
    static constexpr std::chrono::milliseconds passInterval{900};

    // At most this many applications are exported, besides "other".
    static constexpr std::size_t applicationLimit = 50;

    // Makes the first pass, which sets the samplers' baselines.
    MetricsSource(SystemSampler& system, ProcessSampler& processes,
                  Clock clock = std::chrono::steady_clock::now);

    std::string scrape(ExpositionFormat format);

private:
    void pass();

    std::mutex mutex_;
    SystemSampler& system_;
    ProcessSampler& processes_;
    Clock clock_;
    AppSeries apps_{applicationLimit};
    int processCount_ = 0;  // of the last pass whose listing succeeded
    std::chrono::steady_clock::time_point lastPass_{};
    std::vector<prometheus::MetricFamily> families_;
    // The last pass written in each format, once a scrape has asked for it.
    std::array<std::optional<std::string>, 2> written_;
};

}  // namespace vantric
