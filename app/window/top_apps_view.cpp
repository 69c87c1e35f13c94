#include "app/window/top_apps_view.hpp"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/window/app_row.hpp"
#include "app/window/text_styles.hpp"

namespace vantric {
namespace {

constexpr float dividerOpacity = 0.10F;
constexpr int headerPadding = 6;

QString subtitleText(int readableProcessCount) {
    return QStringLiteral(
               "Helpers are counted with the app that owns them \u00B7 %1 of your processes")
        .arg(readableProcessCount);
}

}  // namespace

QString appSortLabel(AppSort sort) {
    switch (sort) {
    case AppSort::cpu: return QStringLiteral("CPU");
    case AppSort::memory: return QStringLiteral("Memory");
    case AppSort::gpu: return QStringLiteral("GPU");
    }
    return {};
}

TopAppsView::TopAppsView(int limit, AppSort initialSort, QWidget* parent)
    : SectionCard(QStringLiteral("Top Apps"), parent),
      limit_(std::max(limit, 0)),
      sort_(initialSort) {
    setAccessory(buildSortControl(initialSort));
    auto* content = new QWidget;
    rowsLayout_ = new QVBoxLayout(content);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(0);
    rowsLayout_->addWidget(buildColumnHeader());
    setContent(content);
    updateSubtitle();
}

void TopAppsView::setApps(std::vector<AppUsage> apps, int readableProcessCount) {
    apps_ = std::move(apps);
    readableProcessCount_ = readableProcessCount;
    updateSubtitle();
    refresh();
}

void TopAppsView::setSort(AppSort sort) {
    sort_ = sort;
    sortButtons_->button(static_cast<int>(sort))->setChecked(true);
    refresh();
}

std::vector<AppUsage> TopAppsView::rows(std::vector<AppUsage> apps, AppSort sort, int limit) {
    const auto byCpu = [](const AppUsage& a, const AppUsage& b) {
        return a.cpu != b.cpu ? a.cpu > b.cpu : a.memory > b.memory;
    };
    // -1 is below every share, so an app no driver accounts sorts after an idle one.
    const auto byGpu = [](const AppUsage& a, const AppUsage& b) {
        const double left = a.gpu.value_or(-1);
        const double right = b.gpu.value_or(-1);
        return left != right ? left > right : a.memory > b.memory;
    };
    const auto byMemory = [](const AppUsage& a, const AppUsage& b) { return a.memory > b.memory; };
    switch (sort) {
    case AppSort::cpu: std::stable_sort(apps.begin(), apps.end(), byCpu); break;
    case AppSort::memory: std::stable_sort(apps.begin(), apps.end(), byMemory); break;
    case AppSort::gpu: std::stable_sort(apps.begin(), apps.end(), byGpu); break;
    }
    apps.resize(std::min(apps.size(), static_cast<std::size_t>(std::max(limit, 0))));
    return apps;
}

const AppRow& TopAppsView::row(int index) const {
    return *slots_.at(static_cast<std::size_t>(index)).row;
}

QWidget* TopAppsView::buildSortControl(AppSort initialSort) {
    auto* control = new QWidget;
    control->setAccessibleName(QStringLiteral("Sort by"));
    control->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(control);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    sortButtons_ = new QButtonGroup(control);
    sortButtons_->setExclusive(true);
    // In the order of the columns.
    for (const AppSort sort : {AppSort::cpu, AppSort::gpu, AppSort::memory}) {
        auto* button = new QToolButton(control);
        button->setText(appSortLabel(sort));
        button->setCheckable(true);
        button->setChecked(sort == initialSort);
        button->setFont(TextStyle::callout());
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        sortButtons_->addButton(button, static_cast<int>(sort));
        layout->addWidget(button);
    }
    connect(sortButtons_, &QButtonGroup::idClicked, this,
            [this](int id) { setSort(static_cast<AppSort>(id)); });
    return control;
}

QLabel* TopAppsView::headerLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(TextStyle::captionMedium());
    TextStyle::setTextColor(*label, TextStyle::secondaryText(palette()));
    headerLabels_.push_back(label);
    return label;
}

QWidget* TopAppsView::buildColumnHeader() {
    auto* header = new QWidget;
    auto* layout = new QHBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, headerPadding);
    // The rows' spacing rather than the style's, so each column title ends exactly where its
    // figures end.
    layout->setSpacing(AppRow::spacing);
    layout->addWidget(headerLabel(QStringLiteral("App"), header), 0, Qt::AlignVCenter);
    layout->addStretch(1);
    const std::pair<QString, int> columns[] = {
        {QStringLiteral("CPU"), AppRow::cpuColumnWidth},
        {QStringLiteral("GPU"), AppRow::gpuColumnWidth},
        {QStringLiteral("Memory"), AppRow::memoryColumnWidth}};
    for (const auto& [title, width] : columns) {
        QLabel* label = headerLabel(title, header);
        label->setFixedWidth(width);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        layout->addWidget(label, 0, Qt::AlignVCenter);
    }
    return header;
}

void TopAppsView::refresh() {
    const std::vector<AppUsage> shown = rows(apps_, sort_, limit_);
    std::unordered_map<std::string, Slot> previous;
    for (const Slot& slot : slots_) {
        previous.emplace(slot.id, slot);
    }
    std::vector<Slot> next(shown.size());
    std::vector<std::size_t> entering;
    for (std::size_t index = 0; index < shown.size(); ++index) {
        if (const auto found = previous.find(shown[index].id); found != previous.end()) {
            next[index] = found->second;
            previous.erase(found);
        } else {
            entering.push_back(index);
        }
    }
    // An app new to the list takes over the row of one that has left it. A new row widget would
    // be shown by a queued call, and showing a widget lays out every layout above it at once,
    // the whole page included, before the rows know their new sizes.
    QWidget* content = rowsLayout_->parentWidget();
    auto spare = previous.begin();
    for (const std::size_t index : entering) {
        if (spare != previous.end()) {
            next[index] = spare->second;
            spare = previous.erase(spare);
        } else {
            auto* line = new QWidget(content);
            line->setFixedHeight(1);
            line->setAutoFillBackground(true);
            colorDivider(*line);
            next[index] = {.divider = line, .row = new AppRow(content)};
        }
        next[index].id = shown[index].id;
    }
    // By widget: a row that has taken over another's place needs no new place in the layout.
    const bool sameOrder = std::equal(next.begin(), next.end(), slots_.begin(), slots_.end(),
                                      [](const Slot& a, const Slot& b) { return a.row == b.row; });
    for (const auto& [id, slot] : previous) {
        delete slot.divider;
        delete slot.row;
    }
    for (std::size_t index = 0; index < shown.size(); ++index) {
        next[index].row->setApp(shown[index], sort_);
    }
    if (!sameOrder) {
        for (const Slot& slot : next) {
            rowsLayout_->removeWidget(slot.divider);
            rowsLayout_->removeWidget(slot.row);
        }
        int position = 1;  // after the column header
        for (const Slot& slot : next) {
            rowsLayout_->insertWidget(position++, slot.divider);
            rowsLayout_->insertWidget(position++, slot.row);
        }
    }
    slots_ = std::move(next);
}

void TopAppsView::changeEvent(QEvent* event) {
    SectionCard::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        for (QLabel* label : headerLabels_) {
            TextStyle::setTextColor(*label, TextStyle::secondaryText(palette()));
        }
        for (const Slot& slot : slots_) {
            colorDivider(*slot.divider);
        }
    }
}

// A hairline over the card's base: translucent, so it suits a light and a dark palette alike.
void TopAppsView::colorDivider(QWidget& divider) const {
    QColor color = TextStyle::primaryText(palette());
    color.setAlphaF(color.alphaF() * dividerOpacity);
    QPalette linePalette = divider.palette();
    linePalette.setColor(QPalette::Window, color);
    divider.setPalette(linePalette);
}

void TopAppsView::updateSubtitle() {
    setSubtitle(subtitleText(readableProcessCount_));
}

}  // namespace vantric
