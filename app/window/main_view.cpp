#include "app/window/main_view.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QResizeEvent>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/store/metrics_store.hpp"
#include "app/window/cpu_page.hpp"
#include "app/window/gpu_page.hpp"
#include "app/window/memory_page.hpp"
#include "app/window/overview_page.hpp"
#include "app/window/pending_layouts.hpp"
#include "app/window/sidebar_row.hpp"
#include "app/window/text_styles.hpp"
#include "app/window/widgets_page.hpp"
#include "core/format.hpp"
#include "widgets/views/locale_symbols.hpp"

namespace vantric {
namespace {

constexpr int sidebarMinimumWidth = 190;
constexpr int sidebarIdealWidth = 210;
constexpr int pageMargin = 24;
constexpr int pageRole = Qt::UserRole + 1;
constexpr float ruleOpacity = 0.12F;

// The sidebar's list, its rows always as wide as it shows them. A list view makes its rows as wide
// as the widest size hint or the viewport it had at its last layout, and lays out again only when
// its height changes: it would keep its first width (the default 640 px, before the window is
// shown), which put the figures at the rows' ends out of sight. The rows' hints have no width.
class SidebarList final : public QListWidget {
protected:
    void resizeEvent(QResizeEvent* event) override {
        QListWidget::resizeEvent(event);
        if (event->size().width() != event->oldSize().width()) {
            doItemsLayout();
        }
    }
};

std::size_t slot(Page page) {
    return static_cast<std::size_t>(page);
}

void addSectionHeader(QListWidget& list, const QString& text) {
    auto* item = new QListWidgetItem(&list);
    item->setFlags(Qt::NoItemFlags);
    auto* label = new QLabel(text);
    label->setFont(TextStyle::captionMedium());
    label->setContentsMargins(10, list.count() > 1 ? 14 : 6, 0, 2);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, TextStyle::secondaryText(list.palette()));
    label->setPalette(palette);
    item->setSizeHint(QSize(0, label->sizeHint().height()));
    list.setItemWidget(item, label);
}

}  // namespace

MainView::MainView(MetricsStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setMinimumSize(860, 600);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildSidebar());

    auto* detail = new QWidget(splitter);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    detailLayout->setSpacing(0);
    title_ = new QLabel(detail);
    title_->setFont(TextStyle::figure(15, QFont::DemiBold));
    title_->setContentsMargins(pageMargin, 12, pageMargin, 12);
    scroll_ = new QScrollArea(detail);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    // Always shown: the pages' heights follow their widths, and a bar that came and went would
    // change the width, hence the height, hence whether the bar is needed.
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    rule_ = new QFrame(detail);
    rule_->setObjectName(QStringLiteral("titleRule"));
    rule_->setFrameShape(QFrame::HLine);
    rule_->setFrameShadow(QFrame::Plain);
    updateRuleColor();
    detailLayout->addWidget(title_);
    detailLayout->addWidget(rule_);
    detailLayout->addWidget(scroll_, 1);
    splitter->addWidget(detail);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({sidebarIdealWidth, 1080 - sidebarIdealWidth});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(&store_, &MetricsStore::changed, this, &MainView::refreshBadges);
    showPage(page_);
    refreshBadges();
}

MainView::~MainView() {
    // The scroll area deletes the page it shows; the others were taken back from it and are ours.
    QWidget* shown = scroll_->widget();
    for (QWidget* page : pages_) {
        if (page != shown) {
            delete page;
        }
    }
}

QWidget* MainView::buildSidebar() {
    sidebar_ = new SidebarList;
    sidebar_->setMinimumWidth(sidebarMinimumWidth);
    sidebar_->setFrameShape(QFrame::NoFrame);
    sidebar_->setSelectionMode(QAbstractItemView::SingleSelection);
    sidebar_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sidebar_->setStyleSheet(
        QStringLiteral("QListWidget { background: palette(window); outline: 0; padding: 6px; }"
                       "QListWidget::item { border-radius: 6px; }"
                       "QListWidget::item:selected { background: rgba(66, 140, 255, 46); }"));
    const auto addRow = [this](Page page) {
        auto* item = new QListWidgetItem(sidebar_);
        item->setData(pageRole, static_cast<int>(page));
        auto* row = new SidebarRow(title(page), systemImage(page));
        rows_[slot(page)] = row;
        item->setSizeHint(QSize(0, row->sizeHint().height()));
        sidebar_->setItemWidget(item, row);
    };
    addSectionHeader(*sidebar_, QStringLiteral("Monitor"));
    for (const Page page : {Page::overview, Page::cpu, Page::memory, Page::gpu}) {
        addRow(page);
    }
    addSectionHeader(*sidebar_, QStringLiteral("Desktop"));
    addRow(Page::widgets);
    connect(sidebar_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr && item->data(pageRole).isValid()) {
            setPage(static_cast<Page>(item->data(pageRole).toInt()));
        }
    });
    return sidebar_;
}

QWidget* MainView::buildPage(Page page) {
    QWidget* body = nullptr;
    switch (page) {
    case Page::overview:
        body = new OverviewPage(store_, [this](Page selected) { setPage(selected); });
        break;
    case Page::cpu: body = new CPUPage(store_); break;
    case Page::memory: body = new MemoryPage(store_); break;
    case Page::gpu: body = new GPUPage(store_); break;
    case Page::widgets: body = new WidgetsPage(store_); break;
    }
    auto* padded = new QWidget;
    auto* layout = new QVBoxLayout(padded);
    layout->setContentsMargins(pageMargin, pageMargin, pageMargin, pageMargin);
    layout->addWidget(body);
    layout->addStretch(1);
    return padded;
}

void MainView::setPage(Page page) {
    if (page == page_ && scroll_->widget() != nullptr) {
        return;
    }
    page_ = page;
    showPage(page);
    emit pageChanged(page);
}

void MainView::showPage(Page page) {
    for (int index = 0; index < sidebar_->count(); ++index) {
        QListWidgetItem* item = sidebar_->item(index);
        if (item->data(pageRole).isValid() &&
            static_cast<Page>(item->data(pageRole).toInt()) == page) {
            sidebar_->setCurrentItem(item);
        }
    }
    title_->setText(title(page));
    QWidget* built = &content(page);
    if (scroll_->widget() != built) {
        // takeWidget hands the page back rather than deleting it, so a page keeps its state
        // (a list's sort key) while another is shown.
        if (QWidget* previous = scroll_->takeWidget()) {
            previous->hide();
        }
        scroll_->setWidget(built);
        built->show();
    }
}

void MainView::openUrl(std::string_view url) {
    if (const auto page = pageForUrl(url)) {
        setPage(*page);
    }
}

std::optional<QString> MainView::badge(Page page) const {
    if (store_.history().empty()) {
        return std::nullopt;
    }
    switch (page) {
    case Page::cpu: return QString::fromStdString(Format::percentNumber(store_.cpu().total)) + '%';
    case Page::memory: {
        const ByteText used =
            Format::bytes(memoryInUse(store_.memory()), 1, currentNumberSymbols());
        return QString::fromStdString(used.number + " " + used.unit);
    }
    case Page::gpu:
        if (!store_.gpu().available) {
            return std::nullopt;
        }
        return QString::fromStdString(Format::percentNumber(store_.gpu().utilization)) + '%';
    case Page::overview:
    case Page::widgets: return std::nullopt;
    }
    return std::nullopt;
}

const SidebarRow& MainView::sidebarRow(Page page) const {
    return *rows_[slot(page)];
}

QWidget& MainView::content(Page page) {
    QWidget*& built = pages_[slot(page)];
    if (built == nullptr) {
        built = buildPage(page);
    }
    return *built;
}

void MainView::refreshBadges() {
    for (const Page page : allPages) {
        rows_[slot(page)]->setBadge(badge(page));
    }
    settlePendingLayouts();
}

// The text colour, faint: a fixed black line would vanish on a dark desktop.
void MainView::updateRuleColor() {
    QColor line = TextStyle::primaryText(palette());
    line.setAlphaF(line.alphaF() * ruleOpacity);
    TextStyle::setTextColor(*rule_, line);
}

void MainView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LocaleChange) {
        refreshBadges();
    } else if (event->type() == QEvent::PaletteChange) {
        updateRuleColor();
    }
}

}  // namespace vantric
