#include "app/window/adaptive_grid_layout.hpp"

#include <algorithm>

#include <QWidget>

namespace vantric {

AdaptiveGridLayout::AdaptiveGridLayout(const Options& options, QWidget* parent)
    : QLayout(parent), options_(options) {
    setContentsMargins(0, 0, 0, 0);
}

AdaptiveGridLayout::~AdaptiveGridLayout() {
    qDeleteAll(items_);
}

int AdaptiveGridLayout::columnCount(int width) const {
    // n columns need n * minimum + (n - 1) * spacing.
    const int fitting = (width + options_.columnSpacing) /
                        std::max(1, options_.minimumColumnWidth + options_.columnSpacing);
    return std::clamp(fitting, 1, std::max<int>(1, static_cast<int>(items_.size())));
}

void AdaptiveGridLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int AdaptiveGridLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* AdaptiveGridLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* AdaptiveGridLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize AdaptiveGridLayout::sizeHint() const {
    const int columns = std::max<int>(1, static_cast<int>(items_.size()));
    const int width =
        columns * options_.minimumColumnWidth + (columns - 1) * options_.columnSpacing;
    return {width, heightForWidth(width)};
}

QSize AdaptiveGridLayout::minimumSize() const {
    return {options_.minimumColumnWidth, heightForWidth(options_.minimumColumnWidth)};
}

int AdaptiveGridLayout::heightForWidth(int width) const {
    return arrange(QRect(0, 0, width, 0), false);
}

void AdaptiveGridLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int AdaptiveGridLayout::arrange(const QRect& rect, bool apply) const {
    const int columns = columnCount(rect.width());
    const int spacing = options_.columnSpacing;
    const int columnWidth = std::max(1, (rect.width() - (columns - 1) * spacing) / columns);
    int top = rect.y();
    for (qsizetype first = 0; first < items_.size(); first += columns) {
        const qsizetype last = std::min<qsizetype>(first + columns, items_.size());
        int rowHeight = 0;
        for (qsizetype index = first; index < last; ++index) {
            QLayoutItem* item = items_.at(index);
            const int height = item->hasHeightForWidth() ? item->heightForWidth(columnWidth)
                                                         : item->sizeHint().height();
            rowHeight = std::max(rowHeight, height);
        }
        const auto inRow = static_cast<int>(last - first);
        const int rowWidth = inRow * columnWidth + (inRow - 1) * spacing;
        int left = rect.x() + (options_.centreShortRow ? (rect.width() - rowWidth) / 2 : 0);
        for (qsizetype index = first; index < last && apply; ++index) {
            items_.at(index)->setGeometry(QRect(left, top, columnWidth, rowHeight));
            left += columnWidth + spacing;
        }
        top += rowHeight + options_.rowSpacing;
    }
    return items_.isEmpty() ? 0 : top - options_.rowSpacing - rect.y();
}

}  // namespace vantric
