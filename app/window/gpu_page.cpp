#include "app/window/gpu_page.hpp"

#include <optional>
#include <utility>

#include <QVBoxLayout>

#include "app/store/metrics_store.hpp"
#include "app/window/big_stat.hpp"
#include "app/window/detail_row.hpp"
#include "app/window/figure_text.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/note_label.hpp"
#include "app/window/section_card.hpp"
#include "app/window/stat_row.hpp"
#include "widgets/views/locale_symbols.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

// NVML and amdgpu publish device utilisation only. A 0 in their place would read as an idle
// pipeline, so a figure the driver does not have shows as a dash without a unit.
void showFraction(BigStat& stat, const std::optional<double>& fraction) {
    if (fraction) {
        stat.setValue(fromUtf8(Format::percentNumber(*fraction)), QStringLiteral("%"));
        stat.setToolTip(QString());
    } else {
        stat.setValue(QStringLiteral("\u2013"));
        stat.setToolTip(QStringLiteral("This GPU's driver does not report this figure."));
    }
}

// A discrete card's own memory and the RAM an integrated one borrows are different resources, so
// the rows name the one counted; a sum of both, or no figure, keeps the general wording.
std::pair<QString, QString> memoryLabels(GpuMemoryKind kind) {
    switch (kind) {
    case GpuMemoryKind::video:
        return {QStringLiteral("Video memory in use"), QStringLiteral("Video memory allocated")};
    case GpuMemoryKind::system:
        return {QStringLiteral("System memory in use by the GPU"),
                QStringLiteral("System memory allocated to the GPU")};
    case GpuMemoryKind::both:
    case GpuMemoryKind::none: break;
    }
    return {QStringLiteral("Memory in use by the GPU"),
            QStringLiteral("Memory allocated to the GPU")};
}

}  // namespace

GPUPage::GPUPage(MetricsStore& store, QWidget* parent)
    : LivePage(store, parent),
      figures_(new StatRow({QStringLiteral("Utilization"), QStringLiteral("Renderer"),
                            QStringLiteral("Tiler"), QStringLiteral("Memory in use")},
                           this)),
      history_(new HistoryCard(QStringLiteral("How busy the GPU is"), Palette::gpu(), this)),
      unavailable_(new SectionCard(QStringLiteral("GPU statistics are not available"), this)),
      about_(new SectionCard(QStringLiteral("About this GPU"), this)),
      note_(new NoteLabel(
          QStringLiteral("Counts your own apps only; other users' GPU work isn't visible."))) {
    // NVML and amdgpu are the drivers that publish utilisation (see LinuxHost).
    unavailable_->setSubtitle(
        QStringLiteral("This computer's graphics driver does not report utilization."));

    auto* rows = new QWidget;
    auto* rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(8);
    for (DetailRow** row : {&model_, &cores_, &memoryInUse_, &memoryAllocated_}) {
        *row = new DetailRow(rows);
        rowsLayout->addWidget(*row);
    }
    about_->setContent({rows, note_});
    stackParts({figures_, history_, unavailable_, about_});
    refresh();
}

std::vector<std::pair<QString, QString>> GPUPage::aboutRows() const {
    std::vector<std::pair<QString, QString>> shown;
    for (const DetailRow* row : {model_, cores_, memoryInUse_, memoryAllocated_}) {
        if (row->isVisibleTo(about_)) {
            shown.emplace_back(row->text().label, row->text().value);
        }
    }
    return shown;
}

std::optional<QString> GPUPage::note() const {
    return note_->isVisibleTo(about_) ? std::optional<QString>(note_->text()) : std::nullopt;
}

void GPUPage::refresh() {
    const NumberSymbols symbols = currentNumberSymbols();
    const GPUSnapshot& gpu = store().gpu();
    const SystemInfo& info = store().info();

    figures_->setVisible(gpu.available);
    history_->setVisible(gpu.available);
    unavailable_->setVisible(!gpu.available);
    if (gpu.available) {
        figures_->stat(0).setValue(fromUtf8(Format::percentNumber(gpu.utilization)),
                                   QStringLiteral("%"));
        figures_->stat(0).setColor(Palette::forLoad(gpu.utilization, Palette::gpu()));
        showFraction(figures_->stat(1), gpu.renderer);
        showFraction(figures_->stat(2), gpu.tiler);
        const ByteText inUse = Format::bytes(gpu.memoryInUse, 2, symbols);
        figures_->stat(3).setValue(fromUtf8(inUse.number), fromUtf8(inUse.unit));
        history_->chart().setValues(store().series(HistoryField::gpu));
    }

    // The device read may change from one reading to the next (the busiest one is shown).
    const GpuModel model = info.gpuModel(gpu.device);
    model_->setText({.label = QStringLiteral("Model"), .value = fromUtf8(model.name)});
    cores_->setVisible(model.cores.has_value());
    if (model.cores) {
        cores_->setText(
            {.label = QStringLiteral("GPU cores"), .value = QString::number(*model.cores)});
    }
    const auto [inUse, allocated] = memoryLabels(gpu.memoryKind);
    memoryInUse_->setText({.label = inUse, .value = bytesText(gpu.memoryInUse, 2, symbols)});
    memoryAllocated_->setText(
        {.label = allocated, .value = bytesText(gpu.memoryAllocated, 2, symbols)});
    note_->setVisible(gpu.ownProcessesOnly);
}

}  // namespace vantric
