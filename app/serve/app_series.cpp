#include "app/serve/app_series.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace vantric {

namespace {

// Each pass keeps this much of the last one's recent processor time: its weight halves in about
// three passes.
constexpr double recentDecay = 0.8;

double finiteOrZero(double value) {
    return std::isfinite(value) && value > 0 ? value : 0;
}

std::uint64_t saturatingSum(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

}  // namespace

AppSeries::AppSeries(std::size_t limit) : limit_(limit) {}

void AppSeries::add(const std::vector<AppUsage>& apps) {
    // Applications that have no process left are forgotten with their counters.
    std::unordered_map<std::string, Standing> standings;
    standings.reserve(apps.size());
    std::vector<const AppUsage*> rows;
    rows.reserve(apps.size());
    for (const AppUsage& app : apps) {
        const auto previous = standings_.find(app.id);
        Standing standing = previous == standings_.end() ? Standing{} : previous->second;
        standing.recentCpu = standing.recentCpu * recentDecay + finiteOrZero(app.cpuSeconds);
        if (standings.try_emplace(app.id, standing).second) {
            rows.push_back(&app);
        }
    }

    const auto recentCpu = [&](const AppUsage* app) { return standings.at(app->id).recentCpu; };
    std::vector<const AppUsage*> byCpu = rows;
    std::sort(byCpu.begin(), byCpu.end(), [&](const AppUsage* left, const AppUsage* right) {
        const double leftCpu = recentCpu(left);
        const double rightCpu = recentCpu(right);
        if (leftCpu != rightCpu) {
            return leftCpu > rightCpu;
        }
        if (left->memory != right->memory) {
            return left->memory > right->memory;
        }
        return left->id < right->id;
    });
    std::vector<const AppUsage*> byMemory = rows;
    std::sort(byMemory.begin(), byMemory.end(), [&](const AppUsage* left, const AppUsage* right) {
        if (left->memory != right->memory) {
            return left->memory > right->memory;
        }
        return left->id < right->id;
    });

    // Turn by turn from the two lists, each time the best one not yet chosen.
    std::unordered_set<std::string_view> chosen;
    std::size_t cpuNext = 0;
    std::size_t memoryNext = 0;
    const auto takeFrom = [&](const std::vector<const AppUsage*>& list, std::size_t& next) {
        while (next < list.size() && !chosen.insert(list[next]->id).second) {
            ++next;
        }
        ++next;
    };
    for (bool cpuTurn = true; chosen.size() < std::min(limit_, rows.size()); cpuTurn = !cpuTurn) {
        takeFrom(cpuTurn ? byCpu : byMemory, cpuTurn ? cpuNext : memoryNext);
    }

    series_.clear();
    AppSeriesValues other{.id = "other", .name = "Other applications"};
    for (const AppUsage* app : byCpu) {
        Standing& standing = standings.at(app->id);
        const double ran = finiteOrZero(app->cpuSeconds);
        const std::optional<double> gpu =
            app->gpu ? std::optional<double>(std::clamp(finiteOrZero(*app->gpu) / 100.0, 0.0, 1.0))
                     : std::nullopt;
        if (!chosen.contains(app->id)) {
            standing.exported = false;
            otherCpuSeconds_ += ran;
            other.memory = saturatingSum(other.memory, app->memory);
            other.processCount += app->processCount;
            if (gpu) {
                // A share of one device, like each application's own.
                other.gpu = std::min(other.gpu.value_or(0) + *gpu, 1.0);
            }
            if (app->gpuMemory) {
                other.gpuMemory = saturatingSum(other.gpuMemory.value_or(0), *app->gpuMemory);
            }
            continue;
        }
        standing.cpuSeconds = (standing.exported ? standing.cpuSeconds : 0) + ran;
        standing.exported = true;
        series_.push_back(AppSeriesValues{.id = app->id,
                                          .name = app->name,
                                          .cpuSeconds = standing.cpuSeconds,
                                          .memory = app->memory,
                                          .processCount = app->processCount,
                                          .gpu = gpu,
                                          .gpuMemory = app->gpuMemory});
    }
    other.cpuSeconds = otherCpuSeconds_;
    series_.push_back(std::move(other));
    standings_ = std::move(standings);
}

}  // namespace vantric
