#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/store/process_sample.hpp"

namespace vantric {

// One application as a scraper sees it: its processor time as a counter, the rest as levels.
struct AppSeriesValues {
    std::string id{};    // the application's grouping key, or "other"
    std::string name{};  // what the window calls it
    // Processor time while this series ran: the application's own since it was first exported
    // without a break, or every unexported application's since the start, for "other".
    double cpuSeconds = 0;
    std::uint64_t memory = 0;
    int processCount = 0;
    std::optional<double> gpu{};  // fraction of one device, 0 to 1
    std::optional<std::uint64_t> gpuMemory{};

    bool operator==(const AppSeriesValues&) const = default;
};

// Turns passes over the process table into a bounded set of per-application series, so that a
// machine with thousands of short-lived programs gives a scraper at most `limit` + 1 series of
// each kind.
//
// Half the places go to the applications with the most processor time of late (an average that
// halves its weight every few passes, so that a moment's burst does not push a steady one out),
// the other half to those with the most memory; a place one list leaves free goes to the other.
// Everything outside them is summed into one series with the id "other".
//
// A counter must never fall while its series lives. An exported application's counter therefore
// grows by its processes' time in each pass it is exported; a pass in which it is not exported
// ends its series, and its time goes to "other". Should it come back, its counter starts again
// from that pass's time, which a scraper reads as a counter reset, as it reads a restarted
// program. "other" only ever grows.
//
// Used by one thread at a time: the server's sampling lock guards it.
class AppSeries {
public:
    explicit AppSeries(std::size_t limit);

    // One pass: the sampler's rows, each once, with their processor time since the last pass.
    void add(const std::vector<AppUsage>& apps);

    // The exported applications, most processor time of late first, then "other".
    const std::vector<AppSeriesValues>& series() const { return series_; }

private:
    struct Standing {
        double recentCpu = 0;   // decaying sum of processor seconds per pass
        double cpuSeconds = 0;  // the series' counter; meaningful while exported
        bool exported = false;
        bool chosen = false;           // exported in the pass being made
        std::uint64_t seenInPass = 0;  // the last pass that listed the application
    };

    std::size_t limit_;
    std::uint64_t pass_ = 0;
    std::unordered_map<std::string, Standing> standings_;
    double otherCpuSeconds_ = 0;
    std::vector<AppSeriesValues> series_;
};

}  // namespace vantric
