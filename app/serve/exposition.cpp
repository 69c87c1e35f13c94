#include "app/serve/exposition.hpp"

#include <cstdint>
#include <string>
#include <utility>

#include "core/saturating_sum.hpp"
#include "platform/linux/utf8_text.hpp"

namespace vantric {

namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

ClientMetric sample(MetricType type, double value, std::vector<ClientMetric::Label> labels = {}) {
    ClientMetric metric;
    metric.label = std::move(labels);
    if (type == MetricType::Counter) {
        metric.counter.value = value;
    } else {
        metric.gauge.value = value;
    }
    return metric;
}

MetricFamily family(std::string name, std::string help, MetricType type,
                    std::vector<ClientMetric> samples) {
    return MetricFamily{.name = std::move(name),
                        .help = std::move(help),
                        .type = type,
                        .metric = std::move(samples)};
}

double bytes(std::uint64_t count) {
    return static_cast<double>(count);
}

double pressureLevel(MemoryPressure pressure) {
    switch (pressure) {
    case MemoryPressure::normal: return 0;
    case MemoryPressure::warning: return 1;
    case MemoryPressure::critical: return 2;
    }
    return 0;
}

std::uint64_t freeMemory(const MemorySnapshot& memory) {
    const std::uint64_t used = saturatingSum(memoryInUse(memory), memory.cached);
    return memory.total > used ? memory.total - used : 0;
}

// Families of one value per application that has it, labelled with the application.
template <typename Value>
MetricFamily perApp(const ScrapeReading& reading, std::string name, std::string help,
                    MetricType type, Value value) {
    std::vector<ClientMetric> samples;
    samples.reserve(reading.apps.size());
    for (const AppSeriesValues& app : reading.apps) {
        if (const std::optional<double> figure = value(app)) {
            samples.push_back(sample(type, *figure,
                                     {{.name = "id", .value = validUtf8(app.id)},
                                      {.name = "name", .value = validUtf8(app.name)}}));
        }
    }
    return family(std::move(name), std::move(help), type, std::move(samples));
}

}  // namespace

std::vector<MetricFamily> metricFamilies(const ScrapeReading& reading) {
    const MemorySnapshot& memory = reading.memory;
    std::vector<ClientMetric> memoryClasses;
    for (const auto& [name, count] :
         {std::pair{"app", memory.app}, std::pair{"wired", memory.wired},
          std::pair{"compressed", memory.compressed}, std::pair{"cached", memory.cached},
          std::pair{"free", freeMemory(memory)}}) {
        memoryClasses.push_back(
            sample(MetricType::Gauge, bytes(count), {{.name = "class", .value = name}}));
    }
    std::vector<ClientMetric> gpuBusy;
    std::vector<ClientMetric> gpuMemory;
    for (const GPUSnapshot& gpu : reading.gpus) {
        const ClientMetric::Label device{.name = "device", .value = validUtf8(gpu.device)};
        gpuBusy.push_back(sample(MetricType::Gauge, gpu.utilization, {device}));
        if (gpu.memoryKind != GpuMemoryKind::none) {
            gpuMemory.push_back(sample(MetricType::Gauge, bytes(gpu.memoryInUse), {device}));
        }
    }

    std::vector<MetricFamily> families;
    families.push_back(family(
        "vantric_cpu_seconds_total",
        "Processor time of all logical processors, by mode; user includes "
        "niced time.",
        MetricType::Counter,
        {sample(MetricType::Counter, reading.cpu.user, {{.name = "mode", .value = "user"}}),
         sample(MetricType::Counter, reading.cpu.system, {{.name = "mode", .value = "system"}}),
         sample(MetricType::Counter, reading.cpu.idle, {{.name = "mode", .value = "idle"}})}));
    families.push_back(family("vantric_memory_bytes",
                              "Physical memory by class: app, wired, compressed, cached and free.",
                              MetricType::Gauge, std::move(memoryClasses)));
    families.push_back(family("vantric_memory_total_bytes", "Installed physical memory.",
                              MetricType::Gauge, {sample(MetricType::Gauge, bytes(memory.total))}));
    families.push_back(family("vantric_swap_used_bytes", "Swap space in use.", MetricType::Gauge,
                              {sample(MetricType::Gauge, bytes(memory.swapUsed))}));
    families.push_back(family("vantric_swap_total_bytes", "Swap space in all.", MetricType::Gauge,
                              {sample(MetricType::Gauge, bytes(memory.swapTotal))}));
    families.push_back(
        family("vantric_memory_pressure", "Memory pressure: 0 normal, 1 elevated, 2 critical.",
               MetricType::Gauge, {sample(MetricType::Gauge, pressureLevel(memory.pressure))}));
    families.push_back(family("vantric_gpu_busy_ratio",
                              "How busy each graphics device is, from 0 to 1.", MetricType::Gauge,
                              std::move(gpuBusy)));
    families.push_back(family("vantric_gpu_memory_used_bytes",
                              "Memory each graphics device's driver has in use.", MetricType::Gauge,
                              std::move(gpuMemory)));
    families.push_back(family("vantric_processes", "Processes running.", MetricType::Gauge,
                              {sample(MetricType::Gauge, reading.processCount)}));

    families.push_back(
        perApp(reading, "vantric_app_cpu_seconds_total",
               "Processor time of each application's processes together.", MetricType::Counter,
               [](const AppSeriesValues& app) { return std::optional<double>(app.cpuSeconds); }));
    families.push_back(perApp(
        reading, "vantric_app_memory_bytes", "Memory of each application's processes together.",
        MetricType::Gauge,
        [](const AppSeriesValues& app) { return std::optional<double>(bytes(app.memory)); }));
    families.push_back(perApp(
        reading, "vantric_app_processes", "Processes of each application.", MetricType::Gauge,
        [](const AppSeriesValues& app) { return std::optional<double>(app.processCount); }));
    families.push_back(perApp(reading, "vantric_app_gpu_ratio",
                              "Each application's share of one graphics device, from 0 to 1.",
                              MetricType::Gauge,
                              [](const AppSeriesValues& app) { return app.gpu; }));
    families.push_back(perApp(reading, "vantric_app_gpu_memory_bytes",
                              "Graphics memory each application's processes hold.",
                              MetricType::Gauge, [](const AppSeriesValues& app) {
                                  return app.gpuMemory
                                             ? std::optional<double>(bytes(*app.gpuMemory))
                                             : std::nullopt;
                              }));
    // A family with no sample says nothing; a scraper is better off without its help and type.
    std::erase_if(families, [](const MetricFamily& each) { return each.metric.empty(); });
    return families;
}

}  // namespace vantric
