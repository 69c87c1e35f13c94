#include "widgets/views/widget_metrics.hpp"

#include <string>
#include <string_view>
#include <utility>

#include "core/memory_snapshot.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

const QString middleDot = QStringLiteral(" \u00B7 ");
// An en dash stands for a figure the machine does not publish, so it never reads as an idle 0.
const QString unavailable = QStringLiteral("\u2013");

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString percent(double fraction) {
    return text(Format::percentNumber(fraction));
}

SmallMetric cpuMetric(const VitalsEntry& entry) {
    const CPUSnapshot& cpu = entry.cpu;
    return {
        .title = QStringLiteral("CPU"),
        .systemImage = QStringLiteral("cpu"),
        .color = Palette::forLoad(cpu.total, Palette::cpu()),
        .value = percent(cpu.total),
        .unit = QStringLiteral("%"),
        .caption = QStringLiteral("User ") + percent(cpu.user) + QStringLiteral("%") + middleDot +
                   QStringLiteral("Sys ") + percent(cpu.system) + QStringLiteral("%"),
        .fraction = cpu.total,
        .spark = entry.spark(HistoryField::cpu),
    };
}

SmallMetric memoryMetric(const VitalsEntry& entry, const NumberSymbols& symbols) {
    const MemorySnapshot& memory = entry.memory;
    const ByteText used = Format::bytes(memoryInUse(memory), 1, symbols);
    const ByteText total = Format::bytes(memory.total, 0, symbols);
    return {
        .title = QStringLiteral("Memory"),
        .systemImage = QStringLiteral("memorychip"),
        .color = Palette::forPressure(memory.pressure),
        .value = text(used.number),
        .unit = text(used.unit),
        .caption = QStringLiteral("of ") + text(total.number) + QStringLiteral(" ") +
                   text(total.unit) + middleDot + text(displayLabel(memory.pressure)),
        .fraction = memoryInUseFraction(memory),
        .spark = entry.spark(HistoryField::memory),
    };
}

SmallMetric gpuMetric(const VitalsEntry& entry, const NumberSymbols& symbols) {
    const GPUSnapshot& gpu = entry.gpu;
    QString caption = QStringLiteral("Not available");
    if (gpu.available) {
        const ByteText memory = Format::bytes(gpu.memoryInUse, 1, symbols);
        caption = QStringLiteral("Memory ") + text(memory.number) + QStringLiteral(" ") +
                  text(memory.unit);
    }
    return {
        .title = QStringLiteral("GPU"),
        .systemImage = QStringLiteral("square.3.layers.3d"),
        .color = Palette::forLoad(gpu.utilization, Palette::gpu()),
        .value = gpu.available ? percent(gpu.utilization) : unavailable,
        .unit = QStringLiteral("%"),
        .caption = caption,
        .fraction = gpu.utilization,
        .spark = entry.spark(HistoryField::gpu),
    };
}

OverviewColumn column(SmallMetric metric) {
    return {
        .title = std::move(metric.title),
        .systemImage = std::move(metric.systemImage),
        .color = metric.color,
        .figure = std::move(metric.value),
        .unit = std::move(metric.unit),
        .fraction = metric.fraction,
        .spark = std::move(metric.spark),
    };
}

}  // namespace

SmallMetric smallMetric(VitalsWidgetKind kind, const VitalsEntry& entry,
                        const NumberSymbols& symbols) {
    switch (kind) {
    case VitalsWidgetKind::memory: return memoryMetric(entry, symbols);
    case VitalsWidgetKind::gpu: return gpuMetric(entry, symbols);
    case VitalsWidgetKind::cpu:
    case VitalsWidgetKind::overview: break;
    }
    return cpuMetric(entry);
}

std::array<OverviewColumn, 3> overviewColumns(const VitalsEntry& entry,
                                              const NumberSymbols& symbols) {
    return {column(cpuMetric(entry)), column(memoryMetric(entry, symbols)),
            column(gpuMetric(entry, symbols))};
}

}  // namespace vantric
