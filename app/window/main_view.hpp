#pragma once

#include <array>
#include <optional>
#include <string_view>

#include <QString>
#include <QWidget>

#include "app/window/page.hpp"

class QFrame;
class QLabel;
class QListWidget;
class QScrollArea;

namespace vantric {

class MetricsStore;
class SidebarRow;

// The window's content: a sidebar of pages with live figures beside three of them, and the
// selected page in a scroll area under its title. Lives on the main thread; reads the store and
// never writes to it.
class MainView : public QWidget {
    Q_OBJECT

public:
    explicit MainView(MetricsStore& store, QWidget* parent = nullptr);
    ~MainView() override;

    Page page() const { return page_; }
    void setPage(Page page);
    // Selects the page the URL's host names; any other URL leaves the selection as it is.
    void openUrl(std::string_view url);

    // The live figure beside a sidebar row, or none: no page has one before the first reading.
    std::optional<QString> badge(Page page) const;

    const SidebarRow& sidebarRow(Page page) const;
    QWidget& content(Page page);

signals:
    void pageChanged(Page page);

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildSidebar();
    QWidget* buildPage(Page page);
    void refreshBadges();
    void showPage(Page page);
    void updateRuleColor();

    MetricsStore& store_;
    Page page_ = Page::overview;
    QListWidget* sidebar_ = nullptr;
    std::array<SidebarRow*, allPages.size()> rows_{};
    std::array<QWidget*, allPages.size()> pages_{};  // made on first show; owned by this view
    QLabel* title_ = nullptr;
    QFrame* rule_ = nullptr;
    QScrollArea* scroll_ = nullptr;
};

}  // namespace vantric
