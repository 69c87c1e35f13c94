#include "app/window/overview_page.hpp"

#include <vector>

#include <QVBoxLayout>

#include "app/store/metrics_store.hpp"
#include "app/window/adaptive_grid_layout.hpp"
#include "app/window/detail_row.hpp"
#include "app/window/figure_text.hpp"
#include "app/window/metric_card.hpp"
#include "app/window/note_label.hpp"
#include "app/window/top_apps_view.hpp"
#include "core/memory_pressure.hpp"
#include "widgets/views/locale_symbols.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr int cardMinimumWidth = 250;
constexpr int cardSpacing = 16;
constexpr int topAppsLimit = 8;

}  // namespace

std::string overviewSummary(const SystemInfo& info, std::string_view gpuDevice, int processCount,
                            std::chrono::system_clock::time_point now,
                            const NumberSymbols& symbols) {
    std::vector<std::string> parts{info.chip, info.coreSummary()};
    const ByteText memory = Format::bytes(info.memory, 0, symbols);
    parts.push_back(memory.number + " " + memory.unit + " memory");
    if (const auto cores = info.gpuModel(gpuDevice).cores) {
        parts.push_back(std::to_string(*cores) + "-core GPU");
    }
    parts.push_back(info.osVersion);
    if (info.bootTime) {
        parts.push_back("Up " + Format::uptime(*info.bootTime, now));
    }
    parts.push_back(std::to_string(processCount) + " processes");
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty()) {
            joined += "  \u00B7  ";
        }
        joined += part;
    }
    return joined;
}

OverviewPage::OverviewPage(MetricsStore& store, const std::function<void(Page)>& selectPage,
                           QWidget* parent)
    : LivePage(store, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(20);

    summary_ = new NoteLabel(QString(), this);
    layout->addWidget(summary_);

    auto* cards = new QWidget(this);
    grid_ = new AdaptiveGridLayout({.minimumColumnWidth = cardMinimumWidth,
                                    .columnSpacing = cardSpacing,
                                    .rowSpacing = cardSpacing},
                                   cards);
    cpuCard_ = new MetricCard(QStringLiteral("CPU"), QStringLiteral("cpu"), cards);
    memoryCard_ = new MetricCard(QStringLiteral("Memory"), QStringLiteral("memorychip"), cards);
    gpuCard_ = new MetricCard(QStringLiteral("GPU"), QStringLiteral("square.3.layers.3d"), cards);
    const std::pair<MetricCard*, Page> targets[] = {
        {cpuCard_, Page::cpu}, {memoryCard_, Page::memory}, {gpuCard_, Page::gpu}};
    for (const auto& [card, page] : targets) {
        grid_->addWidget(card);
        connect(card, &MetricCard::clicked, this,
                [selectPage, target = page] { selectPage(target); });
    }
    layout->addWidget(cards);

    topApps_ = new TopAppsView(topAppsLimit, AppSort::cpu, this);
    layout->addWidget(topApps_);

    refresh();
}

const MetricCard& OverviewPage::card(Page page) const {
    switch (page) {
    case Page::memory: return *memoryCard_;
    case Page::gpu: return *gpuCard_;
    default: return *cpuCard_;
    }
}

QString OverviewPage::summaryText() const {
    return summary_->text();
}

int OverviewPage::cardColumns() const {
    return grid_->columnCount(grid_->parentWidget()->width());
}

void OverviewPage::refresh() {
    const NumberSymbols symbols = currentNumberSymbols();
    const CPUSnapshot& cpu = store().cpu();
    const MemorySnapshot& memory = store().memory();
    const GPUSnapshot& gpu = store().gpu();

    summary_->setText(fromUtf8(overviewSummary(store().info(), gpu.device, store().processCount(),
                                               std::chrono::system_clock::now(), symbols)));

    cpuCard_->setColor(Palette::forLoad(cpu.total, Palette::cpu()));
    cpuCard_->setFigure(fromUtf8(Format::percentNumber(cpu.total)), QStringLiteral("%"));
    cpuCard_->setFraction(cpu.total);
    cpuCard_->setHistory(store().series(HistoryField::cpu));
    cpuCard_->setDetails({{.label = QStringLiteral("User"), .value = percentText(cpu.user)},
                          {.label = QStringLiteral("System"), .value = percentText(cpu.system)}});

    const ByteText used = Format::bytes(memoryInUse(memory), 2, symbols);
    const ByteText total = Format::bytes(memory.total, 0, symbols);
    memoryCard_->setColor(Palette::forPressure(memory.pressure));
    memoryCard_->setFigure(fromUtf8(used.number),
                           fromUtf8(used.unit + " of " + total.number + " " + total.unit));
    memoryCard_->setFraction(memoryInUseFraction(memory));
    memoryCard_->setHistory(store().series(HistoryField::memory));
    memoryCard_->setDetails(
        {{.label = QStringLiteral("Pressure"),
          .value = fromUtf8(std::string(displayLabel(memory.pressure)))},
         {.label = QStringLiteral("Swap used"), .value = bytesText(memory.swapUsed, 2, symbols)}});

    gpuCard_->setColor(Palette::forLoad(gpu.utilization, Palette::gpu()));
    gpuCard_->setFigure(
        gpu.available ? fromUtf8(Format::percentNumber(gpu.utilization)) : QStringLiteral("\u2013"),
        QStringLiteral("%"));
    gpuCard_->setFraction(gpu.utilization);
    gpuCard_->setHistory(store().series(HistoryField::gpu));
    gpuCard_->setDetails({{.label = QStringLiteral("Model"),
                           .value = fromUtf8(store().info().gpuModel(gpu.device).name)},
                          {.label = QStringLiteral("Memory in use"),
                           .value = bytesText(gpu.memoryInUse, 2, symbols)}});

    topApps_->setApps(store().apps(), store().readableProcessCount());
}

}  // namespace vantric
