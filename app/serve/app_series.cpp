#include "app/serve/app_series.hpp"

#include <algorithm>
#include <cmath>

#include "core/saturating_sum.hpp"

namespace vantric {

namespace {

// Each pass keeps this much of the last one's recent processor time: its weight halves in about
// three passes.
constexpr double recentDecay = 0.8;

double finiteOrZero(double value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}

}  // namespace

AppSeries::AppSeries(std::size_t limit) : limit_(limit) {}

void AppSeries::add(const std::vector<AppUsage>& apps) {
    ++pass_;
    struct Row {
        const AppUsage* app;
        Standing* standing;
    };
    std::vector<Row> rows;
    rows.reserve(apps.size());
    for (const AppUsage& app : apps) {
        Standing& standing = standings_[app.id];
        if (standing.seenInPass == pass_) {
            continue;  // an id listed twice counts once
        }
        standing.seenInPass = pass_;
        standing.chosen = false;
        standing.recentCpu = standing.recentCpu * recentDecay + finiteOrZero(app.cpuSeconds);
        rows.push_back(Row{.app = &app, .standing = &standing});
    }
    // Applications that have no process left are forgotten with their counters.
    std::erase_if(standings_,
                  [this](const auto& entry) { return entry.second.seenInPass != pass_; });

    std::vector<Row> byCpu = rows;
    std::sort(byCpu.begin(), byCpu.end(), [](const Row& left, const Row& right) {
        if (left.standing->recentCpu != right.standing->recentCpu) {
            return left.standing->recentCpu > right.standing->recentCpu;
        }
        if (left.app->memory != right.app->memory) {
            return left.app->memory > right.app->memory;
        }
        return left.app->id < right.app->id;
    });
    std::vector<Row> byMemory = std::move(rows);
    std::sort(byMemory.begin(), byMemory.end(), [](const Row& left, const Row& right) {
        if (left.app->memory != right.app->memory) {
            return left.app->memory > right.app->memory;
        }
        return left.app->id < right.app->id;
    });

    // Turn by turn from the two lists, each time the best one not yet chosen.
    const std::size_t places = std::min(limit_, byCpu.size());
    std::size_t taken = 0;
    std::size_t cpuNext = 0;
    std::size_t memoryNext = 0;
    for (bool cpuTurn = true; taken < places; cpuTurn = !cpuTurn) {
        const std::vector<Row>& list = cpuTurn ? byCpu : byMemory;
        std::size_t& next = cpuTurn ? cpuNext : memoryNext;
        while (next < list.size() && list[next].standing->chosen) {
            ++next;
        }
        if (next < list.size()) {
            list[next].standing->chosen = true;
            ++taken;
        }
    }

    series_.clear();
    AppSeriesValues other{.id = "other", .name = "Other applications"};
    for (const Row& row : byCpu) {
        const AppUsage& app = *row.app;
        Standing& standing = *row.standing;
        const double ran = finiteOrZero(app.cpuSeconds);
        const std::optional<double> gpu =
            app.gpu ? std::optional<double>(std::clamp(finiteOrZero(*app.gpu) / 100.0, 0.0, 1.0))
                    : std::nullopt;
        if (!standing.chosen) {
            standing.exported = false;
            otherCpuSeconds_ += ran;
            other.memory = saturatingSum(other.memory, app.memory);
            other.processCount += app.processCount;
            if (gpu) {
                // A share of one device, like each application's own.
                other.gpu = std::min(other.gpu.value_or(0) + *gpu, 1.0);
            }
            if (app.gpuMemory) {
                other.gpuMemory = saturatingSum(other.gpuMemory.value_or(0), *app.gpuMemory);
            }
            continue;
        }
        standing.cpuSeconds = (standing.exported ? standing.cpuSeconds : 0) + ran;
        standing.exported = true;
        series_.push_back(AppSeriesValues{.id = app.id,
                                          .name = app.name,
                                          .cpuSeconds = standing.cpuSeconds,
                                          .memory = app.memory,
                                          .processCount = app.processCount,
                                          .gpu = gpu,
                                          .gpuMemory = app.gpuMemory});
    }
    other.cpuSeconds = otherCpuSeconds_;
    series_.push_back(std::move(other));
}

}  // namespace vantric
