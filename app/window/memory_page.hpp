#pragma once

#include <QWidget>

#include "app/window/live_page.hpp"

namespace vantric {

class HistoryCard;
class NoteLabel;
class MemoryBreakdown;
class SectionCard;
class StatRow;
class TopAppsView;

// Physical memory's page: used, installed, pressure and swap, the last two minutes of memory in
// use, how the memory divides, and the apps that use the most of it.
class MemoryPage final : public LivePage {
public:
    explicit MemoryPage(MetricsStore& store, QWidget* parent = nullptr);

    const StatRow& figures() const { return *figures_; }
    const HistoryCard& history() const { return *history_; }
    const SectionCard& breakdownCard() const { return *breakdownCard_; }
    const MemoryBreakdown& breakdown() const { return *breakdown_; }
    QString note() const;
    const TopAppsView& topApps() const { return *topApps_; }

protected:
    void refresh() override;

private:
    StatRow* figures_ = nullptr;
    HistoryCard* history_ = nullptr;
    SectionCard* breakdownCard_ = nullptr;
    MemoryBreakdown* breakdown_ = nullptr;
    NoteLabel* note_ = nullptr;
    TopAppsView* topApps_ = nullptr;
};

}  // namespace vantric
