#pragma once

#include <vector>

#include <prometheus/metric_family.h>

#include "app/serve/app_series.hpp"
#include "core/cpu_snapshot.hpp"
#include "core/gpu_snapshot.hpp"
#include "core/memory_snapshot.hpp"

namespace vantric {

// What one scrape reports: the machine and its applications at one pass.
struct ScrapeReading {
    CPUTimes cpu{};
    MemorySnapshot memory{};
    std::vector<GPUSnapshot> gpus{};  // each accelerator that publishes statistics
    std::vector<AppSeriesValues> apps{};
    int processCount = 0;
};

// The reading as metric families named by Prometheus' conventions: a "vantric_" prefix, base
// units (seconds, bytes, ratios from 0 to 1), counters ending in "_total". Texts from the kernel
// (process names) are made valid UTF-8, which the exposition formats require.
//
//   vantric_cpu_seconds_total{mode}              counter  user (with nice), system, idle
//   vantric_memory_bytes{class}                  gauge    app, wired, compressed, cached, free
//   vantric_memory_total_bytes, vantric_swap_used_bytes, vantric_swap_total_bytes
//   vantric_memory_pressure                      gauge    0 normal, 1 elevated, 2 critical
//   vantric_gpu_busy_ratio{device}               gauge
//   vantric_gpu_memory_used_bytes{device}        gauge    where the driver counts memory
//   vantric_processes                            gauge
//   vantric_app_cpu_seconds_total{id,name}       counter
//   vantric_app_memory_bytes{id,name}, vantric_app_processes{id,name}
//   vantric_app_gpu_ratio{id,name}, vantric_app_gpu_memory_bytes{id,name}
//                                                gauges   for applications with such a figure
std::vector<prometheus::MetricFamily> metricFamilies(const ScrapeReading& reading);

}  // namespace vantric
