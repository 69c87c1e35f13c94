#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

namespace vantric {

// The console table, then each named benchmark's real time as a ratio to its floor's, measured
// in the same run. With repetitions the medians are used.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // (measured, floor) pairs of benchmark names.
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> ratios)
        : ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.run_name.str();
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians_.contains(name))) {
                // In microseconds, whatever unit the benchmark prints in.
                times_[name] = run.GetAdjustedRealTime() * 1e6 /
                               benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (median) {
                    medians_[name] = true;
                }
            }
        }
    }

    void printRatios() const {
        for (const auto& [measured, floor] : ratios_) {
            const auto top = times_.find(measured);
            const auto bottom = times_.find(floor);
            if (top == times_.end() || bottom == times_.end() || bottom->second <= 0) {
                continue;
            }
            std::printf("%s %.2f us, %s %.2f us, ratio %.3f\n", measured.c_str(), top->second,
                        floor.c_str(), bottom->second, top->second / bottom->second);
        }
    }

private:
    std::vector<std::pair<std::string, std::string>> ratios_;
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

}  // namespace vantric
