#pragma once

#include <QWidget>

#include "app/window/live_page.hpp"

namespace vantric {

class CoreBars;
class HistoryCard;
class SectionCard;
class StatRow;
class TopAppsView;

// The processor's page: total, user, system and idle, the last two minutes of the total, one bar
// per logical processor and the apps that use the most processor time.
class CPUPage final : public LivePage {
public:
    explicit CPUPage(MetricsStore& store, QWidget* parent = nullptr);

    const StatRow& figures() const { return *figures_; }
    const HistoryCard& history() const { return *history_; }
    const SectionCard& coresCard() const { return *coresCard_; }
    const CoreBars& coreBars() const { return *coreBars_; }
    const TopAppsView& topApps() const { return *topApps_; }

protected:
    void refresh() override;

private:
    StatRow* figures_ = nullptr;
    HistoryCard* history_ = nullptr;
    SectionCard* coresCard_ = nullptr;
    CoreBars* coreBars_ = nullptr;
    TopAppsView* topApps_ = nullptr;
};

}  // namespace vantric
