#pragma once

#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QWidget>

#include "app/window/live_page.hpp"

namespace vantric {

class DetailRow;
class HistoryCard;
class NoteLabel;
class SectionCard;
class StatRow;

// The graphics processor's page. While a driver publishes statistics: utilisation, renderer,
// tiler and memory in use, and the last two minutes of utilisation; otherwise a card that says
// there are none. Then, always, what the GPU is: the model of the device the figures come from,
// and which memory they count. Per-app figures are in the top-apps lists, not here.
class GPUPage final : public LivePage {
public:
    explicit GPUPage(MetricsStore& store, QWidget* parent = nullptr);

    const StatRow& figures() const { return *figures_; }
    const HistoryCard& history() const { return *history_; }
    const SectionCard& unavailableCard() const { return *unavailable_; }
    const SectionCard& aboutCard() const { return *about_; }
    // The About card's rows that are shown, in order, as label and value.
    std::vector<std::pair<QString, QString>> aboutRows() const;
    // The About card's note that the load leaves out other users' work; absent while it counts
    // everyone's.
    std::optional<QString> note() const;

protected:
    void refresh() override;

private:
    StatRow* figures_ = nullptr;
    HistoryCard* history_ = nullptr;
    SectionCard* unavailable_ = nullptr;
    SectionCard* about_ = nullptr;
    DetailRow* model_ = nullptr;
    DetailRow* cores_ = nullptr;
    DetailRow* memoryInUse_ = nullptr;
    DetailRow* memoryAllocated_ = nullptr;
    NoteLabel* note_ = nullptr;
};

}  // namespace vantric
