#include "app/window/memory_page.hpp"

#include "app/store/metrics_store.hpp"
#include "app/window/big_stat.hpp"
#include "app/window/figure_text.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/memory_breakdown.hpp"
#include "app/window/note_label.hpp"
#include "app/window/stat_row.hpp"
#include "app/window/top_apps_view.hpp"
#include "widgets/views/locale_symbols.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr int topAppsLimit = 12;

// The figures are counted from /proc/meminfo, and free, top and most other Linux monitors count
// some of the same memory differently (shared memory as cache, MemAvailable as available), so
// the page says what each of its classes holds.
const char* const countingNote =
    "Used is app memory, wired and compressed. App memory is what processes hold for themselves, "
    "shared memory (tmpfs, graphics buffers) included, which free and top count as cache, so "
    "their used figure is lower by that amount. Wired is kernel memory that cannot be paged out. "
    "Cached files are the page cache and the kernel caches that Linux reclaims when apps need "
    "memory; with free memory they come to a little more than what free calls available, which "
    "holds back the kernel's reserves. Installed is what the memory modules hold; Linux manages a "
    "little less, as the firmware and the kernel keep some for themselves, and the shares above "
    "are of what it manages.";

}  // namespace

MemoryPage::MemoryPage(MetricsStore& store, QWidget* parent)
    : LivePage(store, parent),
      figures_(new StatRow({QStringLiteral("Used"), QStringLiteral("Installed"),
                            QStringLiteral("Pressure"), QStringLiteral("Swap used")},
                           this)),
      history_(new HistoryCard(QStringLiteral("Memory used: app memory, wired and compressed"),
                               Palette::memory(), this)),
      breakdownCard_(new SectionCard(QStringLiteral("Breakdown"), this)),
      breakdown_(new MemoryBreakdown),
      note_(new NoteLabel(QString::fromUtf8(countingNote))),
      topApps_(new TopAppsView(topAppsLimit, AppSort::memory, this)) {
    breakdownCard_->setSubtitle(
        QStringLiteral("Cached files and free memory are available to apps whenever they need it"));
    breakdownCard_->setContent({breakdown_, note_});
    stackParts({figures_, history_, breakdownCard_, topApps_});
    refresh();
}

QString MemoryPage::note() const {
    return note_->text();
}

void MemoryPage::refresh() {
    const NumberSymbols symbols = currentNumberSymbols();
    const MemorySnapshot& memory = store().memory();
    const QColor& pressureColor = Palette::forPressure(memory.pressure);

    const auto showBytes = [&](BigStat& stat, std::uint64_t count, int fractionDigits) {
        const ByteText text = Format::bytes(count, fractionDigits, symbols);
        stat.setValue(fromUtf8(text.number), fromUtf8(text.unit));
    };
    showBytes(figures_->stat(0), memoryInUse(memory), 2);
    figures_->stat(0).setColor(pressureColor);
    showBytes(figures_->stat(1), store().info().memory, 0);
    figures_->stat(2).setValue(fromUtf8(std::string(displayLabel(memory.pressure))));
    figures_->stat(2).setColor(pressureColor);
    showBytes(figures_->stat(3), memory.swapUsed, 2);

    history_->chart().setColor(pressureColor);
    history_->chart().setValues(store().series(HistoryField::memory));
    breakdown_->setMemory(memory);
    topApps_->setApps(store().apps(), store().readableProcessCount());
}

}  // namespace vantric
