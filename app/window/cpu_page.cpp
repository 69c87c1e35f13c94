#include "app/window/cpu_page.hpp"

#include "app/store/metrics_store.hpp"
#include "app/window/big_stat.hpp"
#include "app/window/core_bars.hpp"
#include "app/window/figure_text.hpp"
#include "app/window/history_card.hpp"
#include "app/window/history_chart.hpp"
#include "app/window/stat_row.hpp"
#include "app/window/top_apps_view.hpp"
#include "widgets/views/palette.hpp"

namespace vantric {
namespace {

constexpr int topAppsLimit = 12;

}  // namespace

CPUPage::CPUPage(MetricsStore& store, QWidget* parent)
    : LivePage(store, parent),
      figures_(new StatRow({QStringLiteral("Total"), QStringLiteral("User"),
                            QStringLiteral("System"), QStringLiteral("Idle")},
                           this)),
      history_(new HistoryCard(QString(), Palette::cpu(), this)),
      coresCard_(new SectionCard(QStringLiteral("Cores"), this)),
      coreBars_(new CoreBars),
      topApps_(new TopAppsView(topAppsLimit, AppSort::cpu, this)) {
    coresCard_->setContent(coreBars_);
    stackParts({figures_, history_, coresCard_, topApps_});
    refresh();
}

void CPUPage::refresh() {
    const CPUSnapshot& cpu = store().cpu();
    const SystemInfo& info = store().info();
    const auto percent = QStringLiteral("%");

    figures_->stat(0).setValue(fromUtf8(Format::percentNumber(cpu.total)), percent);
    figures_->stat(0).setColor(Palette::forLoad(cpu.total, Palette::cpu()));
    figures_->stat(1).setValue(fromUtf8(Format::percentNumber(cpu.user)), percent);
    figures_->stat(2).setValue(fromUtf8(Format::percentNumber(cpu.system)), percent);
    figures_->stat(3).setValue(fromUtf8(Format::percentNumber(1 - cpu.total)), percent);

    history_->setSubtitle(QStringLiteral("Share of all %1 cores in use").arg(info.cores));
    history_->chart().setValues(store().series(HistoryField::cpu));

    coresCard_->setSubtitle(fromUtf8(info.chip + " \u00B7 " + info.coreSummary()));
    coreBars_->setCores(cpu.perCore, Palette::cpu());

    topApps_->setApps(store().apps(), store().readableProcessCount());
}

}  // namespace vantric
