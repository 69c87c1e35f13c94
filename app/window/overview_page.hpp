#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include <QWidget>

#include "app/window/live_page.hpp"
#include "app/window/page.hpp"
#include "core/format.hpp"
#include "core/system_info.hpp"

namespace vantric {

class AdaptiveGridLayout;
class MetricCard;
class NoteLabel;
class TopAppsView;

// The one-line description of the machine: chip, cores, memory, the cores of the GPU gpuDevice
// names (the one the GPU reading is of) when known, system, uptime when known and the process
// count, joined by "  ·  ".
std::string overviewSummary(const SystemInfo& info, std::string_view gpuDevice, int processCount,
                            std::chrono::system_clock::time_point now,
                            const NumberSymbols& symbols);

// The first page: the machine's summary, one card each for CPU, memory and GPU that leads to its
// page, and the apps that use the most. Redrawn from the store at every reading while shown.
class OverviewPage final : public LivePage {
public:
    OverviewPage(MetricsStore& store, const std::function<void(Page)>& selectPage,
                 QWidget* parent = nullptr);

    const MetricCard& card(Page page) const;
    const TopAppsView& topApps() const { return *topApps_; }
    QString summaryText() const;
    int cardColumns() const;

protected:
    void refresh() override;

private:
    NoteLabel* summary_ = nullptr;
    AdaptiveGridLayout* grid_ = nullptr;
    MetricCard* cpuCard_ = nullptr;
    MetricCard* memoryCard_ = nullptr;
    MetricCard* gpuCard_ = nullptr;
    TopAppsView* topApps_ = nullptr;
};

}  // namespace vantric
