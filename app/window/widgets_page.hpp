#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTimer>

#include "app/window/live_page.hpp"
#include "widgets/views/vitals_widget_kind.hpp"

class QLabel;

namespace vantric {

class VitalsWidgetView;

// How many widgets of each kind identifier are placed, from the host's list of one identifier
// per placed widget.
std::map<std::string, int> countPlaced(const std::vector<std::string>& identifiers);

// "On desktop" for one placed widget, "On desktop ×N" for more, nothing for none.
std::optional<QString> placedMarker(int count);

// An instruction with its **bold** passages as rich text, the rest escaped.
QString richInstruction(const QString& text);

// The page of the desktop widgets: how to place them with the widget host, a live preview of
// each drawn from the store's own readings, and which of them are on the desktop. While shown it
// asks the widget host every 5 s which widgets are placed.
class WidgetsPage final : public LivePage {
public:
    static constexpr int placedRefreshMs = 5000;

    explicit WidgetsPage(MetricsStore& store,
                         std::vector<VitalsWidgetKind> smallKinds = {VitalsWidgetKind::cpu,
                                                                     VitalsWidgetKind::memory,
                                                                     VitalsWidgetKind::gpu},
                         QWidget* parent = nullptr);

    const VitalsWidgetView& preview(VitalsWidgetKind kind) const;
    std::optional<QString> marker(VitalsWidgetKind kind) const;
    QStringList instructions() const;
    QString note() const;
    bool refreshesPlaced() const { return placedTimer_.isActive(); }

    // Asks the widget host now which widgets are placed; the markers change when it answers.
    void refreshPlaced();

protected:
    void refresh() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Block {
        VitalsWidgetKind kind = VitalsWidgetKind::cpu;
        VitalsWidgetView* view = nullptr;
        QWidget* marker = nullptr;
        QLabel* markerText = nullptr;
    };

    const Block& block(VitalsWidgetKind kind) const;
    void showPlaced(const std::map<std::string, int>& placed);

    std::vector<Block> blocks_;
    QStringList instructions_;
    QString note_;
    QTimer placedTimer_;
};

}  // namespace vantric
